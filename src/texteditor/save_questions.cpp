// The questions saving asks and the account it gives of a failed write. A
// failure is explained from what the path shows after the fact (a missing
// folder, a folder of that name, a read-only file), because those are the
// causes a user can act on and they read the same on every system; the
// system's own text covers the rest (no permission, a locked file, a full
// disk).
#include "texteditor/save_questions.h"

#include <string>

#include "filesystem/file_utils.h"
#include "texteditor/window_dialogs.h"
#include "ui/unicode.h"

namespace {

bool askYesNoWarning(platform::WindowHandle owner, const ustring& caption, const ustring& text)
{
    Question question;
    question.caption = caption;
    question.text = text;
    question.buttons = QuestionButtons::YesNo;
    question.icon = QuestionIcon::Warning;
    question.noIsDefault = true;
    return windowDialogs().ask(owner, question) == QuestionAnswer::Yes;
}

// The folder part of `path` ("/" or "\" separated), without its final
// separator; empty when the path has none.
ustring folderOf(const ustring& path)
{
    const size_t separator = path.find_last_of(u"/\\");
    if (separator == ustring::npos)
        return ustring();
    // A root ("/" or "C:\") keeps its separator.
    if (separator == 0 || (separator == 2 && path[1] == u':'))
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

} // namespace

bool confirmOverwriteReadOnly(platform::WindowHandle owner, const ustring& path)
{
    bool exists = false;
    if (!isReadOnlyFile(path, exists))
        return true;
    if (!askYesNoWarning(owner, u"Read only file", path + u" is read only, do you want to overwrite it?"))
        return false;
    // When the attribute stays, the write fails and says the file is read-only.
    clearReadOnly(path);
    return true;
}

bool confirmSaveAsTarget(platform::WindowHandle owner, const ustring& path)
{
    bool exists = false;
    if (isReadOnlyFile(path, exists))
        return confirmOverwriteReadOnly(owner, path);
    if (!exists)
        return true;
    return askYesNoWarning(owner, u"Save As", path + u" already exists, do you want to replace it?");
}

bool confirmOverwriteUndecodable(platform::WindowHandle owner, const ustring& path, uint64_t undecodableBytes,
                                 const ustring& encodingName)
{
    const ustring count = toUstring(std::to_string(undecodableBytes));
    const ustring bytes = undecodableBytes == 1 ? u" byte" : u" bytes";
    return askYesNoWarning(owner, u"Save",
                           path + u"\n\n" + count + bytes + u" of this file could not be read as " + encodingName +
                               u" and show as replacement characters. Saving writes those characters in their "
                               u"place, and the original bytes are lost.\n\nDo you want to save it anyway?");
}

ustring saveFailureReason(const ustring& path, const ustring& systemMessage)
{
    const ustring folder = folderOf(path);
    if (!folder.empty() && !isDirectory(folder))
        return u"The folder " + folder + u" does not exist.";
    if (isDirectory(path))
        return u"A folder has that name.";
    bool exists = false;
    if (isReadOnlyFile(path, exists))
        return u"The file is read only.";
    if (!systemMessage.empty())
        return systemMessage;
    return u"The file could not be written: the folder may not allow it, another program may hold the file, "
           u"or the disk may be full.";
}

ustring saveFailureMessage(const ustring& path, const ustring& systemMessage)
{
    return u"Unable to save " + path + u"\n\n" + saveFailureReason(path, systemMessage);
}
