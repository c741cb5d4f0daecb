// Second views of a buffer (clones) and the commands that change a view's
// file type.
#include "texteditor/text_editor_window.h"

void TextEditorWindow::addCloneCommands() {}
