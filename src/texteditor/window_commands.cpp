// The editor window's command table: the commands that belong to the window
// itself rather than to one of its parts.
#include "texteditor/text_editor_window.h"

void TextEditorWindow::addWindowCommands() {}

void TextEditorWindow::addPlatformWindowCommands() {}
