#include "texteditor/pane_input_handler.h"

#include "texteditor/text_editor_window.h"

const char16_t kPaneContextMenuPath[] = u"Packages/Default/Pane Context.vantrel-menu";

namespace {

// Tells the pane regions of all windows apart from every other region.
const char kPaneScope = 0;

} // namespace

PaneInputHandler::PaneInputHandler(TextEditorWindow* window, int group, const interval2& rect)
    : InputRegion(window, RegionId(&kPaneScope, window, group), rect), m_editor(window), m_group(group)
{
}

void PaneInputHandler::focusPane() { m_editor->viewSet().focusGroup(m_group); }

bool PaneInputHandler::onInputEvent(const KeyEvent& event)
{
    if (event.code == kMouseDoubleClick) {
        if (!event.pressed)
            return false;
        focusPane();
        m_editor->showOpenDialog(kEncodingUndefined);
        return true;
    }
    if (event.code == kMouseRight && !event.pressed) {
        focusPane();
        m_editor->showContextMenu(ustring(kPaneContextMenuPath), m_editor->windowCommandRunner());
        return true;
    }
    if (event.pressed && event.code >= kMouseLeft && event.code <= kMouseExtraSecond) {
        if (m_editor->viewSet().activeGroup() == m_group)
            return false;
        focusPane();
        return true;
    }
    return false;
}

bool PaneInputHandler::onDropFile(float, float, const uchar* path)
{
    focusPane();
    m_editor->openFileSpec(ustring(path), kEncodingUndefined, TextEditorWindow::kOpenReuseView);
    return true;
}
