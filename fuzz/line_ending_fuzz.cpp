// Line endings: normalising in chunks equals normalising at once, and the
// result holds no CR.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/text/line_ending.h"

VANTREL_FUZZ_TARGET(line_ending)
{
    if (size < 1)
        return 0;
    const size_t chunk = 1 + data[0] % 16;
    ustring text = fuzzUnits(data + 1, size - 1);
    detectLineEnding(text.data(), text.data() + text.size());

    ustring whole = text;
    normaliseNewlinesInString(whole);
    if (whole.find(u'\r') != ustring::npos)
        std::abort();

    ustring chunked;
    NewlineState state = NewlineState::nsNormal;
    for (size_t at = 0; at < text.size(); at += chunk) {
        uchar* begin = &text[at];
        uchar* end = begin + std::min(chunk, text.size() - at);
        const slate::usubstring part = normaliseNewlines(begin, end, state);
        chunked.append(part.begin, part.end);
    }
    if (chunked != whole)
        std::abort();

    LineEnding ending = kLineEndingWindows;
    lineEndingFromName(slate::usubstring(whole.data(), whole.data() + whole.size()), ending);
    ustring windows = whole;
    toWindowsNewlines(windows);
    return 0;
}
