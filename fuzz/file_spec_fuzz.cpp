// File specs as the command line and dropped files give them.
#include <cstdlib>

#include "fuzz_target.h"
#include "texteditor/file_spec.h"

VANTREL_FUZZ_TARGET(file_spec)
{
    const ustring spec = fuzzUnits(data, size);
    const FileSpec parsed = parseFileSpec(spec);
    // A spec without a position is its own path; one with a position keeps
    // a path that begins the spec, and a column only after a line.
    if (parsed.line == FileSpec::kNoPosition) {
        if (parsed.path != spec || parsed.column != FileSpec::kNoPosition)
            std::abort();
        return 0;
    }
    if (parsed.line < 0 || parsed.column < FileSpec::kNoPosition || parsed.path.empty() ||
        spec.compare(0, parsed.path.size(), parsed.path) != 0)
        std::abort();
    return 0;
}
