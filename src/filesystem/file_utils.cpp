// The platform-independent half of the file helpers: file stamps and line
// files, built on the native helpers and the file manager.
#include "filesystem/file_utils.h"

#include <algorithm>

#include "filesystem/file_manager.h"
#include "ui/options.h"
#include "ui/unicode.h"

namespace {

bool isBlank(const ustring& line)
{
    return line.find_first_not_of(u" \t") == ustring::npos;
}

} // namespace

bool FileStat::read(const ustring& path)
{
    modificationTime = 0;
    size = -1;
    if (!isFile(path))
        return false;
    fileModificationTime(path, modificationTime);
    return fileSize(path, size);
}

bool writeFileAtomically(const ustring& path, const std::string& bytes)
{
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

bool writeLines(const ustring& path, const std::vector<ustring>& lines)
{
    ustring nativePath;
    if (slate::FileManager::alive())
        nativePath = slate::FileManager::get().nativePath(path);
    if (nativePath.empty())
        nativePath = path;
    std::string bytes;
    for (const ustring& line : lines) {
        bytes += toUtf8(line);
        bytes += '\n';
    }
    return writeFileAtomically(nativePath, bytes);
}

bool readSettingsLines(const ustring& path, std::vector<ustring>& lines)
{
    lines.clear();
    if (!readLines(path, lines))
        return false;
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const ustring& line) { return isBlank(line) || line[0] == u'#'; }),
                lines.end());
    return true;
}
