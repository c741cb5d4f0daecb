// Rectangle and layout helpers, frames and labels, and the buttons every
// control builds on. Buttons keep nothing between frames: the pressed state
// is the window's pressed-region id and the hover fade is read from the
// window's pointer history, so a button is just a region and a face drawn
// again each frame.
#include "controls/control_helpers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "controls/button_drag_handler.h"
#include "ui/base_window.h"
#include "ui/theme.h"
#include "window_manager/window.h"

namespace {

// An offset past the extent counts as none.
float usableOffset(float offset, float extent) { return offset > extent ? 0.f : offset; }

} // namespace

RectPair splitRectTop(const interval2& rect, float offset)
{
    const float y = rect.y0 + usableOffset(offset, rect.y1 - rect.y0);
    return {interval2(rect.x0, rect.y0, rect.x1, y), interval2(rect.x0, y, rect.x1, rect.y1)};
}

RectPair splitRectBottom(const interval2& rect, float offset)
{
    const float y = rect.y1 - usableOffset(offset, rect.y1 - rect.y0);
    return {interval2(rect.x0, rect.y0, rect.x1, y), interval2(rect.x0, y, rect.x1, rect.y1)};
}

RectPair splitRectLeft(const interval2& rect, float offset)
{
    const float x = rect.x0 + usableOffset(offset, rect.x1 - rect.x0);
    return {interval2(rect.x0, rect.y0, x, rect.y1), interval2(x, rect.y0, rect.x1, rect.y1)};
}

RectPair splitRectLeftFraction(const interval2& rect, float fraction)
{
    return splitRectLeft(rect, std::floor((rect.x1 - rect.x0) * fraction));
}

RectPair splitRectRight(const interval2& rect, float offset)
{
    const float x = rect.x1 - usableOffset(offset, rect.x1 - rect.x0);
    return {interval2(rect.x0, rect.y0, x, rect.y1), interval2(x, rect.y0, rect.x1, rect.y1)};
}

interval2 insetRect4(const interval2& rect) { return interval2(rect.x0 + 4, rect.y0 + 4, rect.x1 - 4, rect.y1 - 4); }

interval2 intersectRect(const interval2& a, const interval2& b)
{
    return interval2(std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1));
}

void distributeSizes(float length, const float* sizes, int count, float spacing, float start, float* out)
{
    float fixed = 0;
    int flexibleCount = 0;
    for (int i = 0; i < count; ++i) {
        if (sizes[i] == FLT_MAX)
            ++flexibleCount;
        else
            fixed += sizes[i];
    }
    const float flexible = flexibleCount ? (length - fixed - (count - 1) * spacing) / flexibleCount : 0.f;
    out[0] = start;
    for (int i = 0; i < count; ++i)
        out[i + 1] = out[i] + (sizes[i] == FLT_MAX ? flexible : sizes[i]) + spacing;
}

void drawBevel(Canvas& canvas, const interval2& rect, float width, const Colour& fillColour,
               const Colour& bottomRightColour, const Colour& topLeftColour)
{
    if (rect.empty())
        return;
    canvas.fillRect(rect, fillColour);
    canvas.fillRect(interval2(rect.x0, rect.y0, rect.x1, rect.y0 + width), topLeftColour);
    canvas.fillRect(interval2(rect.x0, rect.y0, rect.x0 + width, rect.y1), topLeftColour);
    canvas.fillRect(interval2(rect.x1 - width, rect.y0 + width, rect.x1, rect.y1), bottomRightColour);
    canvas.fillRect(interval2(rect.x0 + width, rect.y1 - width, rect.x1, rect.y1), bottomRightColour);
}

interval2 drawControlFrame(const Theme& theme, Canvas& canvas, const interval2& rect)
{
    drawBevel(canvas, rect, 1.f, theme.backgroundColour, theme.lightColour, theme.shadowColour);
    const float b = controlBorderWidth();
    return interval2(rect.x0 + b, rect.y0 + b, rect.x1 - b, rect.y1 - b);
}

void drawThemeText(const ThemeFont& font, float x, float y, const uchar* begin, const uchar* end, bool bold)
{
    UnicodeFont* face = bold ? font.boldFont : font.font;
    if (!face)
        return;
    face->beginBatch(false);
    face->drawText(std::floor(x), std::floor(y), begin, end, font.colours, false);
    face->endBatch();
}

void drawCentredLabel(const ThemeFont& font, Canvas& canvas, const interval2& rect, const uchar* begin,
                      const uchar* end)
{
    if (!font.font)
        return;
    const interval2 saved = canvas.intersectClip(rect);
    const float width = textWidth(*font.font, begin, end);
    const float height = font.font->lineHeight();
    const float x = width > rect.x1 - rect.x0 ? rect.x0 : rect.x0 + ((rect.x1 - rect.x0) - width) / 2;
    const float y = height > rect.y1 - rect.y0 ? rect.y0 : rect.y0 + ((rect.y1 - rect.y0) - height) / 2;
    drawThemeText(font, x, y, begin, end, false);
    canvas.setClip(saved);
}

ButtonInputHandler::ButtonInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                       std::function<void()> clickAction, std::function<void()> doubleClickAction,
                                       std::function<void()> secondaryAction, ustring hintText,
                                       ustring hintCommand)
    : InputRegion(window, id, rect), m_clickAction(std::move(clickAction)),
      m_doubleClickAction(std::move(doubleClickAction)), m_secondaryAction(std::move(secondaryAction)),
      m_hintText(std::move(hintText)), m_hintCommand(std::move(hintCommand))
{
}

bool ButtonInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!m_rect.contains(event.state.x, event.state.y))
        return false;
    if (event.pressed && event.code == kMouseDoubleClick && m_doubleClickAction) {
        m_doubleClickAction();
        return true;
    }
    if (event.pressed &&
        (event.code == kMouseLeft || event.code == kMouseDoubleClick || event.code == kMouseTripleClick)) {
        m_window->focusState()->setPressedRegion(m_id);
        if (Window* platformWindow = window())
            platformWindow->beginDrag(new ButtonDragHandler(kMouseLeft, m_rect, m_clickAction));
        return true;
    }
    if (!event.pressed && event.code == kMouseRight && m_secondaryAction) {
        m_secondaryAction();
        return true;
    }
    return false;
}

bool ButtonInputHandler::onMotion(const MotionEvent& event) { return event.wheelY == 0 && event.wheelX == 0; }

bool ButtonInputHandler::hint(ustring& text, ustring& command)
{
    if (m_hintText.empty())
        return false;
    text = m_hintText;
    command = m_hintCommand;
    return true;
}

float hoverAmount(const InputRegion& parent, const RegionId& id, const interval2& rect, bool& done)
{
    BaseWindow* window = parent.baseWindow();
    const float elapsed = std::min(window->m_mouseHistory.timeSinceInside(rect, false), 1.f);
    done = elapsed == 1.f;
    return window->focusState()->pressedRegion() == id ? 1.f : 1.f - elapsed;
}

namespace {

// The background of a button: the pressed face while pressed, else the
// background at the hover amount.
void drawButtonBackground(InputRegion* parent, const RegionId& id, const interval2& rect, float amount,
                          Shader* background, Shader* pressedFace)
{
    if (!background)
        return;
    if (pressedFace && parent->baseWindow()->focusState()->pressedRegion() == id)
        pressedFace->draw(rect);
    else
        background->draw(rect, amount);
}

} // namespace

bool drawButtonFace(InputRegion* parent, const RegionId& id, const interval2& rect, Shader* icon,
                    Shader* background, Shader* pressedFace, float iconSize)
{
    bool done = false;
    const float amount = hoverAmount(*parent, id, rect, done);
    drawButtonBackground(parent, id, rect, amount, background, pressedFace);
    if (icon) {
        const float x = rect.x0 + ((rect.x1 - rect.x0) - iconSize) / 2;
        const float y = rect.y0 + ((rect.y1 - rect.y0) - iconSize) / 2;
        icon->draw(interval2(x, y, x + iconSize, y + iconSize), amount);
    }
    return done;
}

ButtonInputHandler* addButtonRegion(InputRegion* parent, const RegionId& id, const interval2& rect,
                                    std::function<void()> clickAction, std::function<void()> doubleClickAction,
                                    std::function<void()> secondaryAction, const ustring& hintText,
                                    const ustring& hintCommand)
{
    auto* region = new ButtonInputHandler(parent->baseWindow(), id, rect, std::move(clickAction),
                                          std::move(doubleClickAction), std::move(secondaryAction), hintText,
                                          hintCommand);
    parent->addChild(region);
    return region;
}

bool iconButton(InputRegion* parent, const RegionId& id, const interval2& rect, std::function<void()> clickAction,
                Shader* icon, Shader* background, Shader* pressedFace, const ustring& hintText,
                const ustring& hintCommand, float iconSize)
{
    addButtonRegion(parent, id, rect, std::move(clickAction), {}, {}, hintText, hintCommand);
    return drawButtonFace(parent, id, rect, icon, background, pressedFace, iconSize);
}

bool pushButton(InputRegion* parent, const RegionId& id, const interval2& rect, std::function<void()> clickAction,
                const uchar* labelBegin, const uchar* labelEnd, const ThemeFont& font, Shader* background,
                Shader* pressedFace)
{
    addButtonRegion(parent, id, rect, std::move(clickAction), {}, {}, ustring(), ustring());
    const bool done = drawButtonFace(parent, id, rect, nullptr, background, pressedFace, 0);
    if (labelBegin != labelEnd) {
        Canvas* canvas = parent->baseWindow()->canvas();
        drawCentredLabel(font, *canvas, interval2(rect.x0 + 6, rect.y0 + 2, rect.x1 - 6, rect.y1 - 2), labelBegin,
                         labelEnd);
    }
    return done;
}

ButtonRow::ButtonRow(Theme& theme, float x, float y, int count)
    : x(x), y(y), count(count), left(&theme.get("btn.left")), middle(&theme.get("btn.middle")),
      right(&theme.get("btn.right")), downOverLeft(&theme.get("btn.down.over.left")),
      downOverMiddle(&theme.get("btn.down.over.middle")), downOverRight(&theme.get("btn.down.over.right")),
      downLeft(&theme.get("btn.down.left")), downMiddle(&theme.get("btn.down.middle")),
      downRight(&theme.get("btn.down.right"))
{
}

Shader* ButtonRow::byPosition(Shader* first, Shader* inner, Shader* last) const
{
    if (index == 0)
        return first;
    return index == count - 1 ? last : inner;
}

Shader* ButtonRow::face(bool on) const
{
    return on ? byPosition(downLeft, downMiddle, downRight) : byPosition(left, middle, right);
}

Shader* ButtonRow::hoverFace() const { return byPosition(downOverLeft, downOverMiddle, downOverRight); }

interval2 ButtonRow::cellRect() const
{
    const float cellX = x + 23.f * index;
    return interval2(cellX, y, cellX + 24, y + 24);
}

vector2 buttonRowSize(int count) { return vector2{23.f * count, 24.f}; }
