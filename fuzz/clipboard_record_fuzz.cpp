// The private clipboard record as another program (or another version of
// this one) may have left it: a record is either taken whole, and then reads
// back as its own encoding, or ignored entirely.
#include <cstdlib>
#include <vector>

#include "controls/clipboard_commands.h"
#include "fuzz_target.h"

VANTREL_FUZZ_TARGET(clipboard_record)
{
    const std::vector<char> bytes(reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + size);
    bool wholeLines = true;
    ustring syntax = u"left over";
    if (decodeClipboardRecord(bytes, wholeLines, syntax)) {
        // The flag byte may hold any non-zero value; the rest must agree.
        std::vector<char> again = encodeClipboardRecord(wholeLines, syntax);
        again[0] = bytes[0];
        if (again != bytes)
            std::abort();
    } else if (wholeLines || !syntax.empty()) {
        std::abort();
    }
    return 0;
}
