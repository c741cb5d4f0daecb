// Bracket matching runs two scans from one start point, each with a nesting
// counter per enabled kind: forward until some kind's closing bracket brings
// its counter to zero, backward until some kind's opening bracket does. The
// pair is reported only when both scans stopped at the same kind; crossed
// nesting such as "([)]" therefore gives nothing rather than a wrong pair.
// The text is read through the storage's character iterator, one step at a
// time, so nothing is copied.
#include "ui/text/bracket_matching.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/text/token/token_storage.h"

namespace {

constexpr int kKindCount = 4;
// In the order that breaks ties: parentheses, braces, square brackets, angle
// brackets.
constexpr uchar kOpening[kKindCount] = {u'(', u'{', u'[', u'<'};
constexpr uchar kClosing[kKindCount] = {u')', u'}', u']', u'>'};
constexpr uint32_t kKindBits[kKindCount] = {kMatchParentheses, kMatchBraces, kMatchSquareBrackets,
                                            kMatchAngleBrackets};

bool isOpening(uchar unit)
{
    return std::find(kOpening, kOpening + kKindCount, unit) != kOpening + kKindCount;
}

bool isClosing(uchar unit)
{
    return std::find(kClosing, kClosing + kKindCount, unit) != kClosing + kKindCount;
}

} // namespace

SelectionRegion findMatchingBracket(TokenStorage& storage, int64_t position, int32_t searchLimit,
                                    uint32_t matchBrackets)
{
    VASSERT(searchLimit > 0);
    const int64_t size = storage.size();
    const int64_t pos = std::clamp<int64_t>(position, 0, size);
    const int64_t low = std::max<int64_t>(pos - searchLimit, 0);
    const int64_t high = std::min<int64_t>(pos + searchLimit, size);

    // A bracket right after the caret wins over one right before it, of any
    // kind, enabled or not.
    int64_t start = pos;
    if (pos < size && isOpening(storage.charAt(pos)))
        start = pos + 1;
    else if (pos > 0 && isClosing(storage.charAt(pos - 1)))
        start = pos - 1;

    bool enabled[kKindCount];
    for (int kind = 0; kind < kKindCount; ++kind)
        enabled[kind] = (matchBrackets & kKindBits[kind]) != 0;

    int64_t closingAt[kKindCount] = {-1, -1, -1, -1};
    int counters[kKindCount] = {1, 1, 1, 1};
    bool found = false;
    if (start < high) {
        TokenStorage::iterator it = storage.iteratorAt(start);
        for (int64_t at = start; at < high && !found; ++at, ++it) {
            const uchar unit = *it;
            for (int kind = 0; kind < kKindCount; ++kind) {
                if (!enabled[kind])
                    continue;
                if (unit == kClosing[kind] && --counters[kind] == 0) {
                    closingAt[kind] = at;
                    found = true;
                    break;
                }
                if (unit == kOpening[kind])
                    ++counters[kind];
            }
        }
    }

    int64_t openingAt[kKindCount] = {-1, -1, -1, -1};
    std::fill(counters, counters + kKindCount, 1);
    found = false;
    if (start > low) {
        TokenStorage::iterator it = storage.iteratorAt(start - 1);
        for (int64_t at = start - 1; !found; --at) {
            const uchar unit = *it;
            for (int kind = 0; kind < kKindCount; ++kind) {
                if (!enabled[kind])
                    continue;
                if (unit == kOpening[kind] && --counters[kind] == 0) {
                    openingAt[kind] = at;
                    found = true;
                    break;
                }
                if (unit == kClosing[kind])
                    ++counters[kind];
            }
            if (at == low)
                break;
            --it;
        }
    }

    SelectionRegion best(0, 0);
    bool haveBest = false;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (openingAt[kind] < 0 || closingAt[kind] < 0)
            continue;
        const SelectionRegion pair(openingAt[kind], closingAt[kind] + 1);
        if (!haveBest || pair.size() < best.size()) {
            best = pair;
            haveBest = true;
        }
    }
    return best;
}
