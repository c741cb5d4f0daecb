// A macro file: whatever its bytes, it is either refused with a message or
// read into command lines that hold no line end or NUL and are neither blank
// nor comments, and those lines written out as a file read back unchanged.
#include <cstdlib>

#include "one_file_system.h"
#include "ui/text/macro.h"
#include "ui/unicode.h"

namespace {

bool readMounted(const std::string& bytes, std::vector<ustring>& lines, ustring& error)
{
    mountFuzzInput(u"m.vantrel-macro", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const bool read = readMacroFile(u"Packages/m.vantrel-macro", lines, error);
    slate::FileManager::destroy();
    return read;
}

} // namespace

VANTREL_FUZZ_TARGET(macro_file)
{
    std::vector<ustring> lines;
    ustring error;
    if (!readMounted(fuzzBytes(data, size), lines, error)) {
        if (error.empty() || !lines.empty())
            std::abort();
        return 0;
    }
    std::string written;
    for (const ustring& line : lines) {
        const size_t first = line.find_first_not_of(u" \t");
        if (first == ustring::npos || line[first] == u'#' || line.find_first_of(u"\r\n") != ustring::npos
            || line.find(u'\0') != ustring::npos)
            std::abort();
        written += toUtf8(line) + '\n';
    }
    std::vector<ustring> again;
    if (!readMounted(written, again, error) || again != lines)
        std::abort();
    return 0;
}
