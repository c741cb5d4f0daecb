// Closing an editor window's views, and the window itself, with the Save
// Changes? question.
#include "texteditor/text_editor_window.h"

void TextEditorWindow::addCloseCommands() {}

bool TextEditorWindow::canClose() { return BaseWindow::canClose(); }
