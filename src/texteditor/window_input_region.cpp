// The window's binding contexts are answered here, at the root of the
// window's region tree, so every region inside the window (a text view, a
// panel's field) sees them, and a key binding can tell apart the same keys
// with and without a panel or an overlay on screen.
#include "texteditor/window_input_region.h"

#include "texteditor/text_editor_window.h"
#include "ui/key_codes.h"
#include "window_manager/window.h"

namespace {

// The operand read as a truth value: only "true" is true.
bool isTrue(const ustring& operand) { return operand == u"true"; }

} // namespace

bool answerWindowContext(const WindowContextState& state, const ustring& key, const ustring& operand,
                         bool& result)
{
    if (key == u"isPanelVisible") {
        const bool visible = state.panelName != nullptr;
        if (operand == u"true" || operand == u"false")
            result = isTrue(operand) == visible;
        else
            result = visible && *state.panelName == operand;
        return true;
    }
    if (key == u"isOverlayVisible") {
        result = isTrue(operand) == state.overlayVisible;
        return true;
    }
    if (key == u"isFullScreen") {
        result = isTrue(operand) == state.fullScreen;
        return true;
    }
    return false;
}

WindowContextState windowContextState(TextEditorWindow& window)
{
    // The window hosts no bottom panel and no overlay yet, so neither is
    // ever visible.
    WindowContextState state;
    state.fullScreen = window.isFullScreen();
    return state;
}

WindowInputRegion::WindowInputRegion(const RegionId& id, const interval2& rect, CommandRunner* runner,
                                     TextEditorWindow* window)
    : InputRegion(window, id, rect), m_runner(runner), m_window(window)
{
}

bool WindowInputRegion::checkContext(const ustring& key, const ustring& operand, bool& result)
{
    return answerWindowContext(windowContextState(*m_window), key, operand, result);
}

bool NullInputHandler::onInputEvent(const KeyEvent& event) { return isMouseCode(event.code); }

bool NullInputHandler::onMotion(const MotionEvent& event) { return event.wheelX == 0 && event.wheelY == 0; }
