// File-type filters and the naming rules of the save dialog. The filter text
// is the system dialogs' own format (NUL-separated pairs, a double NUL at
// the end), built once here for both dialogs so their lists agree.
#include "texteditor/file_dialog_filter.h"

#include <string>

#include "filesystem/path_parts.h"
#include "ui/unicode.h"

namespace {

const ustring kAllFilesCaption = u"All Files (*.*)";
const ustring kAllFilesPattern = u"*.*";
// Where users report what the program cannot handle itself.
const ustring kSupportAddress = u"support@vantrel.org";

// The text after the last "/" or "\" of `path`.
size_t lastComponentStart(const ustring& path)
{
    const size_t separator = path.find_last_of(u"/\\");
    return separator == ustring::npos ? 0 : separator + 1;
}

void appendPair(ustring& filter, const ustring& caption, const ustring& pattern)
{
    filter += caption;
    filter += u'\0';
    filter += pattern;
    filter += u'\0';
}

} // namespace

FileTypeList fileTypeList(const SyntaxManager& manager)
{
    FileTypeList list;
    const SyntaxManager::SyntaxInfoMap& info = manager.syntaxInfo();
    for (const ustring& path : manager.syntaxPaths()) {
        auto found = info.find(path);
        if (found == info.end())
            continue;
        list.push_back(FileType{path, found->second.name, found->second.extensionEntries});
    }
    return list;
}

FileTypeList knownFileTypes()
{
    return SyntaxManager::alive() ? fileTypeList(SyntaxManager::get()) : FileTypeList();
}

ustring buildFileDialogFilter(const FileTypeList& fileTypes, FilterCaption caption)
{
    ustring filter;
    appendPair(filter, kAllFilesCaption, kAllFilesPattern);
    for (const FileType& type : fileTypes) {
        ustring text = type.name;
        if (text.empty()) {
            const slate::usubstring stem = pathStem(slate::usubstring(type.syntaxPath), u'/');
            text.assign(stem.begin, stem.end);
        }
        ustring shown;
        ustring pattern;
        for (const SyntaxManager::ExtensionEntry& entry : type.extensions) {
            const ustring item = u"*." + entry.extension;
            if (!pattern.empty())
                pattern += u';';
            pattern += item;
            if (entry.hidden && caption == FilterCaption::VisibleExtensions)
                continue;
            if (!shown.empty())
                shown += u';';
            shown += item;
        }
        appendPair(filter, text + u" (" + shown + u")", pattern);
    }
    filter += u'\0';
    return filter;
}

ustring buildSingleExtensionFilter(const ustring& extension)
{
    ustring filter;
    appendPair(filter, extension, u"*." + extension);
    filter += u'\0';
    return filter;
}

int fileTypeFilterIndex(const FileTypeList& fileTypes, const ustring& syntaxPath)
{
    for (size_t i = 0; i < fileTypes.size(); ++i) {
        if (fileTypes[i].syntaxPath == syntaxPath)
            return static_cast<int>(i) + 2;
    }
    return 0;
}

ustring fileTypeFirstExtension(int index, const FileTypeList& fileTypes)
{
    if (index < 0 || static_cast<size_t>(index) >= fileTypes.size() || fileTypes[index].extensions.empty())
        return ustring();
    return fileTypes[index].extensions.front().extension;
}

ustring saveAsInitialName(const ustring& bufferName)
{
    if (bufferName.find_first_of(u"\t\n\r\\/:?|<>") != ustring::npos)
        return ustring();
    return bufferName;
}

ustring completeSaveAsPath(const ustring& path, const ustring& extension)
{
    ustring result = path;
    const size_t start = lastComponentStart(result);
    if (result.find(u'.', start) == ustring::npos && !extension.empty())
        result += u"." + extension;
    const size_t firstDot = result.find(u'.', start);
    if (firstDot != ustring::npos && firstDot + 1 == result.size())
        result.pop_back();
    return result;
}

ustring fileDialogErrorText(const ustring& dialog, uint32_t errorCode)
{
    return u"Error code from " + dialog + u" dialog: " + toUstring(std::to_string(errorCode)) +
           u"\n\nYou may want to let " + kSupportAddress + u" know";
}
