#include "controls/button_drag_handler.h"

#include <utility>

#include "ui/key_codes.h"

ButtonDragHandler::ButtonDragHandler(int button, const interval2& rect, std::function<void()> onClick)
    : m_onClick(std::move(onClick)), m_button(button), m_rect(rect)
{
}

DragResult ButtonDragHandler::onKeyOrButton(const KeyEvent& event)
{
    if (event.code != m_button || event.pressed)
        return event.code == kKeyEscape ? DragResult::End : DragResult::Continue;
    if (m_rect.contains(event.state.x, event.state.y) && m_onClick)
        m_onClick();
    return DragResult::End;
}

DragResult ButtonDragHandler::onMotion(const MotionEvent& event)
{
    const bool inRange = m_button >= 0 && m_button < 512;
    return inRange && !event.state.key[m_button] ? DragResult::End : DragResult::Continue;
}
