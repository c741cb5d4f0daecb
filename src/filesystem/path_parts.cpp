// Path splitting works on views into the caller's text, so splitting costs no
// allocation; only the rewriting helpers build new strings.
#include "filesystem/path_parts.h"

#include <algorithm>

PathParts splitPath(const slate::usubstring& path, uchar separator)
{
    PathParts parts;
    if (path.empty())
        return parts;
    const uchar* begin = path.begin;
    const uchar* end = path.end;
    if (end[-1] == separator)
        --end;
    const uchar* nameBegin = end;
    while (nameBegin != begin && nameBegin[-1] != separator)
        --nameBegin;
    if (nameBegin != begin)
        parts.directory = slate::usubstring(begin, nameBegin - 1);
    else
        parts.directory = slate::usubstring(begin, begin);
    parts.name = slate::usubstring(nameBegin, end);
    parts.stem = parts.name;
    parts.extension = slate::usubstring(end, end);
    const uchar* dot = parts.name.rfind(u'.');
    if (dot && dot != nameBegin) {
        parts.stem = slate::usubstring(nameBegin, dot);
        parts.extension = slate::usubstring(dot + 1, end);
    }
    return parts;
}

slate::usubstring pathDirectory(const slate::usubstring& path, uchar separator)
{
    return splitPath(path, separator).directory;
}

slate::usubstring pathFileName(const slate::usubstring& path, uchar separator)
{
    return splitPath(path, separator).name;
}

slate::usubstring pathStem(const slate::usubstring& path, uchar separator)
{
    return splitPath(path, separator).stem;
}

slate::usubstring pathExtension(const slate::usubstring& path, uchar separator)
{
    return splitPath(path, separator).extension;
}

ustring replaceExtension(const slate::usubstring& path, const slate::usubstring& newExtension,
                         uchar separator)
{
    PathParts parts = splitPath(path, separator);
    if (!parts.extension.empty())
        return ustring(path.begin, parts.extension.begin) + newExtension.str();
    if (parts.stem.empty())
        return ustring();
    return ustring(path.begin, parts.stem.end) + u'.' + newExtension.str();
}

ustring replaceExtension(const slate::usubstring& path, uchar separator,
                         const slate::usubstring& newExtension)
{
    return replaceExtension(path, newExtension, separator);
}

void toBackslashes(uchar* begin, uchar* end)
{
    std::replace(begin, end, u'/', u'\\');
}

void toBackslashes(ustring& path)
{
    toBackslashes(&path[0], &path[0] + path.size());
}
