// Splitting and rewriting paths. The separator is a parameter ("/" for
// virtual paths, the backslash for native ones); nothing here touches the
// disk. The views returned point into the caller's path, which must outlive
// them: never pass a temporary string where a view is kept.
#pragma once

#include "ui/ustring.h"

// Four views into one path; each is empty when absent.
struct PathParts {
    slate::usubstring directory; // before the last separator
    slate::usubstring name;      // after it
    slate::usubstring stem;      // the name less its extension and that "."
    slate::usubstring extension; // after the name's last ".", without it
};

// A final separator is ignored ("dir/" names "dir"). A name whose only "."
// is its first unit (".svn") has no extension; a name ending in "." has its
// stem without that "." and no extension.
PathParts splitPath(const slate::usubstring& path, uchar separator);
slate::usubstring pathDirectory(const slate::usubstring& path, uchar separator);
slate::usubstring pathFileName(const slate::usubstring& path, uchar separator);
slate::usubstring pathStem(const slate::usubstring& path, uchar separator);
slate::usubstring pathExtension(const slate::usubstring& path, uchar separator);

// The path with the extension of its last component replaced by
// `newExtension` (given without "."), or "." + `newExtension` appended to the
// stem when it has none: "a/b.txt", "a/b." and "a/b" all give "a/b.aff". A
// final separator is lost ("a/b/" gives "a/b.aff"); a path without a stem
// gives the empty text.
ustring replaceExtension(const slate::usubstring& path, const slate::usubstring& newExtension,
                         uchar separator);
// The same with the separator before the extension.
ustring replaceExtension(const slate::usubstring& path, uchar separator,
                         const slate::usubstring& newExtension);

// Turns every "/" into a backslash in place.
void toBackslashes(uchar* begin, uchar* end);
void toBackslashes(ustring& path);
