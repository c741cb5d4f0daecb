// Splitter regions and their drag. The values are looked up again at every
// motion rather than held by address: a command run during the drag (a
// layout change) may resize the list a split lives in.
#include "controls/splitter.h"

#include <algorithm>
#include <utility>

#include "ui/base_window.h"
#include "ui/key_codes.h"
#include "window_manager/window.h"

SplitterDragHandler::SplitterDragHandler(float startX, float startY, SplitterValue horizontal,
                                         SplitterValue vertical)
    : ButtonDragHandler(kMouseLeft, interval2(0, 0, 0, 0), nullptr),
      m_startX(startX),
      m_startY(startY),
      m_horizontal(begin(std::move(horizontal))),
      m_vertical(begin(std::move(vertical)))
{
}

SplitterDragHandler::Axis SplitterDragHandler::begin(SplitterValue value)
{
    Axis axis;
    if (value.locate) {
        if (const float* current = value.locate())
            axis.start = *current;
    }
    axis.value = std::move(value);
    return axis;
}

void SplitterDragHandler::follow(Axis& axis, float movement)
{
    if (!axis.value.locate)
        return;
    float* current = axis.value.locate();
    if (!current)
        return;
    const float wanted = axis.start + movement * axis.value.multiplier;
    *current = std::max(axis.value.minimum, std::min(wanted, axis.value.maximum));
}

DragResult SplitterDragHandler::onMotion(const MotionEvent& event)
{
    if (ButtonDragHandler::onMotion(event) == DragResult::End)
        return DragResult::End;
    follow(m_horizontal, event.state.x - m_startX);
    follow(m_vertical, event.state.y - m_startY);
    return DragResult::Continue;
}

SplitterInputHandler::SplitterInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                           SplitterValue horizontal, SplitterValue vertical)
    : InputRegion(window, id, rect), m_horizontal(std::move(horizontal)), m_vertical(std::move(vertical))
{
}

bool SplitterInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!event.pressed || event.code != kMouseLeft || !m_rect.contains(event.state.x, event.state.y))
        return false;
    if (Window* platformWindow = window())
        platformWindow->beginDrag(new SplitterDragHandler(event.state.x, event.state.y, m_horizontal, m_vertical));
    return true;
}

bool SplitterInputHandler::cursor(const InputState&, CursorKind& kind)
{
    if (m_horizontal.locate && m_vertical.locate)
        kind = CursorKind::Move;
    else if (m_horizontal.locate)
        kind = CursorKind::ResizeHorizontal;
    else
        kind = CursorKind::ResizeVertical;
    return true;
}
