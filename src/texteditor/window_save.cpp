// Saving an editor window's views and reloading files changed on disk.
#include "texteditor/text_editor_window.h"

void TextEditorWindow::addSaveCommands() {}
