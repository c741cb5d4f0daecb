// The listings that both mounted file systems give, written once on the
// native-file layer: only the separator of native paths differs between
// the builds.
#include "filesystem/native_file.h"

#include "filesystem/file_utils.h"
#include "filesystem/path_parts.h"
#include "ui/string_utils.h"

namespace {

// Directory recursion deeper than this is taken for a link cycle.
const int kMaxSearchDepth = 64;

ustring nativeForm(ustring path)
{
    if (kNativePathSeparator == u'\\')
        toBackslashes(path);
    return path;
}

void searchDirectory(const ustring& nativeDirectory, const ustring& relativeDirectory,
                     const ustring& pattern, std::vector<ustring>& files, int depth)
{
    if (depth > kMaxSearchDepth)
        return;
    enumerateDirectory(nativeDirectory, u"*", [&](const ustring& name, bool isDirectory) {
        if (name == u".svn")
            return;
        if (isDirectory)
            searchDirectory(nativeDirectory + name + kNativePathSeparator, relativeDirectory + name + u'/',
                            pattern, files, depth + 1);
        else if (wildcardMatch(pattern.c_str(), name.c_str()))
            files.push_back(relativeDirectory + name);
    });
}

} // namespace

void listNativeEntries(const ustring& root, const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    const size_t slash = pathOrPattern.rfind(u'/');
    const ustring prefix = slash == ustring::npos ? ustring() : pathOrPattern.substr(0, slash + 1);
    enumerateDirectory(nativeForm(root + prefix), pathOrPattern.substr(prefix.size()),
                       [&](const ustring& name, bool) { entries.push_back(prefix + name); });
}

void findNativeFiles(const ustring& root, const ustring& directory, const ustring& pattern,
                     std::vector<ustring>& files)
{
    searchDirectory(nativeForm(root + directory), directory, pattern, files, 0);
}
