// The minimap: a second view of a main view's buffer, drawn reduced beside
// it, with an outline of the part the main view shows. Pressing and dragging
// in it scrolls the main view; how a press outside the outline behaves
// follows the main view's "clickToScroll" setting.
#pragma once

#include "controls/button_drag_handler.h"
#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"

class Canvas;
class TextBufferView;
class Theme;

// The fraction of a rect `height` high that the minimap of `view` takes:
// 1 / (line height x last row / height + 1), within [1/9, 0.2]. Short files
// get the widest minimap.
float minimapScale(float height, TextBufferView& view);

// Where the main view's viewport shows in the minimap drawn in `rect`, in
// window pixels.
interval2 minimapVisibleRect(const TextBufferView& minimapView, const TextBufferView& mainView,
                             const interval2& rect);

// Scrolls the main view (and, while dragging, the minimap with it) so that
// the pointer (x + offsetX, y + offsetY) in the minimap drawn in `rect`
// shows. Not dragging, the main view is centred on the pointed spot;
// dragging, the top of the main viewport follows the pointer while the
// minimap's own scroll moves in proportion to the main view's. The main
// view's translation ends whole and within its limits. Nothing happens when
// either view is null.
void scrollFromMinimap(const interval2& rect, TextBufferView* minimapView, TextBufferView* mainView, float x,
                       float y, float offsetX, float offsetY, bool dragging);

// The outline of `rect` as one closed strip through its four corners.
void drawRectOutline(Canvas& canvas, const interval2& rect);

// The minimap's region for one frame. A left press focuses the main view's
// text region and, on the outline or whenever the click mode is not 0,
// starts a drag that scrolls the main view; the wheel scrolls the main view.
class MinimapInputHandler : public InputRegion {
public:
    // Holds counted references to both views while the pointer stays down.
    // Dragging starts at once on the outline (keeping the grab point) or
    // with click mode 1 (the outline's top centre jumps to the pointer);
    // otherwise the press only centres the main view once.
    class MinimapDragHandler : public ButtonDragHandler {
    public:
        MinimapDragHandler(float x, float y, const interval2& regionRect,
                           const slate::SP<TextBufferView>& minimapView,
                           const slate::SP<TextBufferView>& mainView, bool clickModeOne);
        DragResult onMotion(const MotionEvent& event) override;

    private:
        interval2 m_regionRect;
        slate::SP<TextBufferView> m_minimapView;
        slate::SP<TextBufferView> m_mainView;
        vector2 m_grabOffset; // from the pointer to the outline's top centre; 0 off the outline
        bool m_dragging;
        bool m_clickMode1;
    };

    // `clickMode` is the main view's "clickToScroll": 0 off, 1 position,
    // 2 text. Neither view may be null.
    MinimapInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                        const slate::SP<TextBufferView>& minimapView, const slate::SP<TextBufferView>& mainView,
                        int clickMode);

    bool onInputEvent(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;

private:
    slate::SP<TextBufferView> m_minimapView;
    slate::SP<TextBufferView> m_mainView;
    int m_clickMode;
};

// Draws the minimap of `mainView` in `rect` and adds its region under
// `parent`: the field frame, the reduced text scrolled in proportion to the
// main view, and the outline of what the main view shows, in "Peru" while
// the main view's text region (RegionId(mainView)) has the focus, else
// "Grey". False while the buffer loads (then only the frame is drawn and no
// region is added).
bool minimap(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
             const slate::SP<TextBufferView>& minimapView, const slate::SP<TextBufferView>& mainView);
