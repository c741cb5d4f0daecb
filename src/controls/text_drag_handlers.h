// The drags of the text control: extending a selection by characters, words
// or lines while the left button is held, and the rectangular (column)
// selection of a middle press or a shift-right press. Each keeps one undo
// group with an empty name open for its whole life, so all the selection
// changes of one drag undo as one step. A drag holds its own reference to
// the view and may outlive the control's region that started it.
// Main thread only.
#pragma once

#include <cstdint>

#include "controls/button_drag_handler.h"
#include "ui/reference_counted.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"

class InputRegion;
class TextBufferView;

class TextDragHandler : public ButtonDragHandler {
public:
    // The caller has already opened an undo group with an empty name on the
    // view's buffer; the handler closes it when it is destroyed. `regionRect`
    // is the control's region rect, (x, y) the pointer at the press.
    // `baseSelection` is the selection the drag adds `anchor` (covered with
    // the unit under the pointer) to, or subtracts it from.
    TextDragHandler(const interval2& regionRect, const slate::SP<TextBufferView>& view, float x, float y,
                    bool subtract, bool lineMode, bool wordMode, const SelectionSet& baseSelection,
                    const SelectionRegion& anchor);
    ~TextDragHandler() override;

    // The release of the left button or Escape ends the drag; the selection
    // keeps its last update, and with "copyOnMouseSelect" it is copied when
    // the pointer has left the press position.
    DragResult onKeyOrButton(const KeyEvent& event) override;
    DragResult onMotion(const MotionEvent& event) override;

private:
    int64_t positionUnder(const InputState& state);

    interval2 m_regionRect;
    slate::SP<TextBufferView> m_view; // never null
    int64_t m_pressPosition;
    bool m_subtract;
    bool m_lineMode;
    bool m_wordMode;
    SelectionSet m_baseSelection;
    SelectionRegion m_anchor;
};

class RectDragHandler : public ButtonDragHandler {
public:
    // Copies the view's selection as the base and opens an undo group with
    // an empty name, which the destructor closes. `start` is the layout
    // point of the press.
    RectDragHandler(int button, const interval2& regionRect, const slate::SP<TextBufferView>& view,
                    const LayoutPoint& start, bool subtract);
    ~RectDragHandler() override;

    DragResult onMotion(const MotionEvent& event) override;

private:
    interval2 m_regionRect;
    slate::SP<TextBufferView> m_view; // never null
    LayoutPoint m_start;
    SelectionSet m_baseSelection;
    bool m_subtract;
};

// Starts a column selection from the press `event` in the text control
// `handler` (whose view it is), with the text origin (textOriginX,
// textOriginY): alt subtracts, neither alt nor ctrl starts afresh.
void beginColumnSelection(InputRegion& handler, const slate::SP<TextBufferView>& view, const KeyEvent& event,
                          float textOriginX, float textOriginY);
// Adds to `set` (or subtracts from it) one region per row of the rectangle
// between the layout points `p0` and `p1`, the caret on p1's side. Empty
// rows are dropped when some row is not empty.
void columnSelection(TextBufferView& view, const LayoutPoint& p0, const LayoutPoint& p1, bool subtract,
                     SelectionSet& set);
