// The native build has no desktop: dialogs are cancelled and questions get
// their safe answer, so that nothing is overwritten or discarded unasked.
#include "texteditor/window_dialogs.h"

FileDialogAnswer showSystemOpenDialog(platform::WindowHandle, const FileDialogRequest&) { return FileDialogAnswer(); }

FileDialogAnswer showSystemSaveDialog(platform::WindowHandle, const FileDialogRequest&) { return FileDialogAnswer(); }

QuestionAnswer showSystemQuestion(platform::WindowHandle, const Question& question)
{
    return question.buttons == QuestionButtons::YesNoCancel ? QuestionAnswer::Cancel : QuestionAnswer::No;
}
