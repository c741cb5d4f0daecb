// File specs and locating files. A spec is split the way users write
// positions after a file name: at colons, empty parts dropped. The drive
// letter of a Windows path is the one colon that belongs to the name; any
// other part that is not a plain number keeps the whole spec a literal name,
// since "a.txt:x" is as valid a file name as any.
#include "texteditor/file_spec.h"

#include <vector>

#include "filesystem/file_utils.h"
#include "ui/string_utils.h"

namespace {

// The value of `part` when it is 1 to 9 digits; -1 otherwise (a longer run
// would not fit a line number and is taken as part of a name).
int32_t wholeNumber(const slate::usubstring& part)
{
    const size_t length = static_cast<size_t>(part.end - part.begin);
    if (length == 0 || length > 9)
        return -1;
    int32_t value = 0;
    for (const uchar* unit = part.begin; unit != part.end; ++unit) {
        if (*unit < u'0' || *unit > u'9')
            return -1;
        value = value * 10 + (*unit - u'0');
    }
    return value;
}

bool isAbsoluteName(const ustring& name)
{
    return (name.size() >= 2 && name[1] == u':') || (name.size() >= 2 && name[0] == u'\\' && name[1] == u'\\') ||
           (!name.empty() && name[0] == u'/');
}

} // namespace

FileSpec parseFileSpec(const ustring& spec)
{
    FileSpec result;
    result.path = spec;
    const uchar colon[] = {u':', 0};
    std::vector<slate::usubstring> parts;
    tokenize(slate::usubstring(spec), colon, parts);
    // A drive letter and its colon stay with the path they begin.
    if (parts.size() >= 2 && parts[0].end - parts[0].begin == 1) {
        parts[1].begin = parts[0].begin;
        parts.erase(parts.begin());
    }
    if (parts.size() != 2 && parts.size() != 3)
        return result;
    const int32_t line = wholeNumber(parts[1]);
    const int32_t column = parts.size() == 3 ? wholeNumber(parts[2]) : FileSpec::kNoPosition;
    if (line < 0 || (parts.size() == 3 && column < 0))
        return result;
    result.path = ustring(parts[0].begin, parts[0].end);
    result.line = line;
    result.column = column;
    return result;
}

ustring locateFile(const ustring& name)
{
    if (name.empty())
        return ustring();
    ustring native = name;
    // A leading "/" is a Unix path, which the Win32 file functions of Wine
    // take as it is.
    if (kNativePathSeparator == u'\\' && name[0] != u'/') {
        for (uchar& unit : native) {
            if (unit == u'/')
                unit = u'\\';
        }
    }
    if (isAbsoluteName(native))
        return isFile(native) ? native : ustring();

    ustring directory = currentDirectory();
    if (directory.empty())
        return ustring();
    while (!directory.empty() && (directory.back() == u'\\' || directory.back() == u'/'))
        directory.pop_back();
    const bool network = directory.size() >= 2 && directory[0] == u'\\' && directory[1] == u'\\';
    for (;;) {
        const ustring candidate = directory + kNativePathSeparator + native;
        if (isFile(candidate))
            return candidate;
        // A network share is only tried where it stands: its parents are
        // not folders one could walk.
        if (network)
            return ustring();
        const size_t separator = directory.find_last_of(u"\\/");
        if (separator == ustring::npos)
            return ustring();
        directory.erase(separator);
    }
}
