// The portable input rules of the platform windows. They are kept apart
// from the message handling so that they are the same for every platform
// window and can be tested without one.
#include "window_manager/input_translation.h"

#include <algorithm>
#include <cmath>

#include "ui/base_window.h"
#include "ui/input_region.h"

namespace {

// A third click further than this from the double click is a new click.
constexpr float kTripleClickDistance = 4.f;
// Wheel deltas come in 120ths of a notch.
constexpr float kWheelDeltaPerNotch = 120.f;

template <typename Event>
InputDelivery deliver(DragHandler* drag, WindowHandler& handler, const Event& event,
                      DragResult (DragHandler::*dragOperation)(const Event&),
                      bool (WindowHandler::*handlerOperation)(const Event&))
{
    InputDelivery delivery;
    if (drag) {
        delivery.toDrag = true;
        delivery.endDrag = (drag->*dragOperation)(event) == DragResult::End;
    } else {
        delivery.handled = (handler.*handlerOperation)(event);
    }
    return delivery;
}

} // namespace

int32_t ClickSequence::code(const ButtonMessage& message, uint32_t doubleClickTime)
{
    if (message.doubleClick) {
        m_deadline = message.time + doubleClickTime;
        m_x = message.x;
        m_y = message.y;
        return kMouseDoubleClick;
    }
    if (!message.down)
        return message.button;
    // Signed difference: message times wrap after 49.7 days.
    const bool beforeDeadline = m_deadline && int32_t(message.time - *m_deadline) < 0;
    const bool near = std::hypot(message.x - m_x, message.y - m_y) < kTripleClickDistance;
    m_deadline.reset();
    return message.button == kMouseLeft && beforeDeadline && near ? kMouseTripleClick : message.button;
}

void setVerticalWheel(MotionEvent& event, int delta, int linesPerNotch)
{
    int lines = linesPerNotch == 0 ? 1 : linesPerNotch;
    if (lines < 0) {
        lines = -lines;
        event.page = true;
    }
    event.wheelY = float(delta) * float(lines) / kWheelDeltaPerNotch;
}

void setHorizontalWheel(MotionEvent& event, int delta, int charactersPerNotch)
{
    event.wheelX = -float(delta) * float(std::max(1, charactersPerNotch)) / kWheelDeltaPerNotch;
}

InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const KeyEvent& event)
{
    return deliver(drag, handler, event, &DragHandler::onKeyOrButton, &WindowHandler::onKeyOrButton);
}

InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const CharacterEvent& event)
{
    return deliver(drag, handler, event, &DragHandler::onCharacter, &WindowHandler::onCharacter);
}

InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const MotionEvent& event)
{
    return deliver(drag, handler, event, &DragHandler::onMotion, &WindowHandler::onMotion);
}
