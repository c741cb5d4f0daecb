// What every control shares: rectangle splitting, the size distributor of
// grid layouts, bevels, frames and centred labels, and the button family
// (the button region, the face with its hover fade, push buttons, icon
// buttons and rows of segmented buttons). Controls are free functions called
// once per frame from a window's draw function: they paint through the
// window's canvas and theme, add this frame's regions under a parent, and
// return true when they need no further frame for an animation.
#pragma once

#include <functional>
#include <utility>

#include "canvas/colour.h"
#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/ustring.h"

class Canvas;
class Shader;
class Theme;
struct ThemeFont;

using RectPair = std::pair<interval2, interval2>;

// The split helpers return the upper (or left) part first. An offset larger
// than the rect's extent along the split counts as 0.
RectPair splitRectTop(const interval2& rect, float offset);
RectPair splitRectBottom(const interval2& rect, float offset);
RectPair splitRectLeft(const interval2& rect, float offset);
// splitRectLeft at floor(width x fraction).
RectPair splitRectLeftFraction(const interval2& rect, float fraction);
RectPair splitRectRight(const interval2& rect, float offset);
interval2 insetRect4(const interval2& rect);
// {max x0, max y0, min x1, min y1}.
interval2 intersectRect(const interval2& a, const interval2& b);
constexpr float controlBorderWidth() { return 2.f; }

// Lays out `count` cells along `length`: sizes of FLT_MAX share what the
// others and the spacings leave. Writes count + 1 positions to `out`: cell i
// spans out[i] to out[i + 1] - spacing, so out[count] lies one spacing past
// the last cell.
void distributeSizes(float length, const float* sizes, int count, float spacing, float start, float* out);

// Fills the rect, then the top and left edges and the bottom and right edges
// `width` thick; nothing for an empty rect.
void drawBevel(Canvas& canvas, const interval2& rect, float width, const Colour& fillColour,
               const Colour& bottomRightColour, const Colour& topLeftColour);
// A sunken frame in the theme's control colours; returns the rect inside it
// (controlBorderWidth in from every edge).
interval2 drawControlFrame(const Theme& theme, Canvas& canvas, const interval2& rect);
// Draws [begin, end) with the record's font (its bold font when `bold`) at
// the floored position, in one batch; nothing when that font is null.
void drawThemeText(const ThemeFont& font, float x, float y, const uchar* begin, const uchar* end, bool bold);
// The text centred in the rect and clipped to it; text wider (or a font
// taller) than the rect starts at its left (top) edge.
void drawCentredLabel(const ThemeFont& font, Canvas& canvas, const interval2& rect, const uchar* begin,
                      const uchar* end);

// The region of one button for one frame. A mouse1 press marks it as the
// window's pressed region and starts a ButtonDragHandler that runs the click
// when the release lands inside; a double click runs the double-click action
// when there is one; a mouse2 release runs the secondary action. Wheel turns
// are left to the regions behind it.
class ButtonInputHandler : public InputRegion {
public:
    ButtonInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                       std::function<void()> clickAction, std::function<void()> doubleClickAction,
                       std::function<void()> secondaryAction, ustring hintText, ustring hintCommand);

    bool onInputEvent(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;
    bool hint(ustring& text, ustring& command) override;

private:
    std::function<void()> m_clickAction;
    std::function<void()> m_doubleClickAction;
    std::function<void()> m_secondaryAction;
    ustring m_hintText;
    ustring m_hintCommand;
};

// 1 while the button is the pressed region, else fading from 1 to 0 over the
// second after the pointer left the rect. `done` is set to whether the fade
// has ended (a second or more since the pointer was inside).
float hoverAmount(const InputRegion& parent, const RegionId& id, const interval2& rect, bool& done);

// Paints the background (the pressed face while pressed, when there is one)
// and the icon, a square of `iconSize` centred in the rect; either may be
// null. True when the hover fade has ended.
bool drawButtonFace(InputRegion* parent, const RegionId& id, const interval2& rect, Shader* icon,
                    Shader* background, Shader* pressedFace, float iconSize);
// Adds a button region under `parent` and returns it; draws nothing. Any
// action may be empty.
ButtonInputHandler* addButtonRegion(InputRegion* parent, const RegionId& id, const interval2& rect,
                                    std::function<void()> clickAction, std::function<void()> doubleClickAction,
                                    std::function<void()> secondaryAction, const ustring& hintText,
                                    const ustring& hintCommand);
bool iconButton(InputRegion* parent, const RegionId& id, const interval2& rect, std::function<void()> clickAction,
                Shader* icon, Shader* background, Shader* pressedFace, const ustring& hintText,
                const ustring& hintCommand, float iconSize);
// A button with a centred text label inset 6 across and 2 down.
bool pushButton(InputRegion* parent, const RegionId& id, const interval2& rect, std::function<void()> clickAction,
                const uchar* labelBegin, const uchar* labelEnd, const ThemeFont& font, Shader* background,
                Shader* pressedFace);

// A row of segmented toggle buttons, 24 pixels square, each overlapping its
// neighbour by one pixel. Built on the stack for one frame; the caller
// advances `index` after each cell. The shaders belong to the theme.
struct ButtonRow {
    ButtonRow(Theme& theme, float x, float y, int count);

    // The face of the current cell: its left, middle or right shader, the
    // "down" ones when `on`.
    Shader* face(bool on) const;
    // The pressed-and-hovered face of the current cell.
    Shader* hoverFace() const;
    interval2 cellRect() const;

    float x;
    float y;
    int count;
    int index = 0;
    Shader* left;
    Shader* middle;
    Shader* right;
    Shader* downOverLeft;
    Shader* downOverMiddle;
    Shader* downOverRight;
    Shader* downLeft;
    Shader* downMiddle;
    Shader* downRight;

private:
    Shader* byPosition(Shader* first, Shader* inner, Shader* last) const;
};
// Width and height of a row of `count` cells.
vector2 buttonRowSize(int count);
