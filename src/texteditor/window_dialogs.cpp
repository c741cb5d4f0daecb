// The default window dialogs (the platform's), the installed ones, and the
// reading of a dialog's name buffer.
#include "texteditor/window_dialogs.h"

namespace {

class SystemDialogs final : public WindowDialogs {
public:
    FileDialogAnswer chooseFilesToOpen(platform::WindowHandle owner, const FileDialogRequest& request) override
    {
        return showSystemOpenDialog(owner, request);
    }
    FileDialogAnswer chooseFileToSave(platform::WindowHandle owner, const FileDialogRequest& request) override
    {
        return showSystemSaveDialog(owner, request);
    }
    QuestionAnswer ask(platform::WindowHandle owner, const Question& question) override
    {
        return showSystemQuestion(owner, question);
    }
};

SystemDialogs s_systemDialogs;
WindowDialogs* s_dialogs = &s_systemDialogs;

} // namespace

WindowDialogs& windowDialogs() { return *s_dialogs; }

WindowDialogs* installWindowDialogs(WindowDialogs* dialogs)
{
    WindowDialogs* previous = s_dialogs;
    s_dialogs = dialogs ? dialogs : &s_systemDialogs;
    return previous;
}

std::vector<ustring> chosenPaths(const ustring& names)
{
    // The names up to the first empty one.
    std::vector<ustring> parts;
    size_t start = 0;
    while (start < names.size()) {
        const size_t end = names.find(u'\0', start);
        const size_t stop = end == ustring::npos ? names.size() : end;
        if (stop == start)
            break;
        parts.push_back(names.substr(start, stop - start));
        start = stop + 1;
    }
    if (parts.size() <= 1)
        return parts;
    const ustring folder = parts.front();
    const bool separated = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
    std::vector<ustring> paths;
    for (size_t i = 1; i < parts.size(); ++i)
        paths.push_back(separated ? folder + parts[i] : folder + u'\\' + parts[i]);
    return paths;
}
