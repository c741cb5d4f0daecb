// Line-ending detection and normalisation. The normaliser works in place on
// chunks of a stream (the file reader hands it each decoded chunk) and keeps
// one state value between chunks, so that a CR LF or LF CR pair cut by a
// chunk boundary still collapses into one LF. Output never runs ahead of
// input, because every rule either copies a unit or drops one.
#include "ui/text/line_ending.h"

#include "ui/log.h"

namespace {

const uchar kCr = u'\r';
const uchar kLf = u'\n';

const ustring* lineEndingNames()
{
    static const ustring s_names[4] = {u"Windows", u"LFCR", u"Unix", u"Mac"};
    return s_names;
}

} // namespace

LineEnding detectLineEnding(const uchar* begin, const uchar* end)
{
    size_t loneLf = 0, loneCr = 0, lfCr = 0, crLf = 0;
    for (const uchar* p = begin; p < end; ++p) {
        const bool hasNext = p + 1 < end;
        if (*p == kLf) {
            if (hasNext && p[1] == kCr) {
                ++lfCr;
                ++p;
            } else {
                ++loneLf;
            }
        } else if (*p == kCr) {
            if (hasNext && p[1] == kLf) {
                ++crLf;
                ++p;
            } else {
                ++loneCr;
            }
        }
    }
    // The order of these comparisons is the tie order.
    size_t best = loneLf;
    if (loneCr > best)
        best = loneCr;
    if (lfCr >= best)
        best = lfCr;
    if (crLf >= best)
        best = crLf;
    if (best == 0)
        return kLineEndingWindows;
    if (best == loneLf)
        return kLineEndingUnix;
    if (best == crLf)
        return kLineEndingWindows;
    if (best == loneCr)
        return kLineEndingMac;
    return kLineEndingLfCr;
}

LineEnding detectLineEnding(const slate::usubstring& text)
{
    return detectLineEnding(text.begin, text.end);
}

slate::usubstring normaliseNewlines(uchar* begin, uchar* end, NewlineState& state)
{
    VASSERT(state == NewlineState::nsNormal || state == NewlineState::nsSeenR ||
            state == NewlineState::nsSeenN);
    uchar* out = begin;
    for (const uchar* in = begin; in < end; ++in) {
        const uchar unit = *in;
        switch (state) {
        case NewlineState::nsSeenR:
            if (unit == kCr) {
                *out++ = kLf;
            } else {
                if (unit != kLf) // the LF of CR LF is dropped
                    *out++ = unit;
                state = NewlineState::nsNormal;
            }
            break;
        case NewlineState::nsSeenN:
            if (unit == kLf) {
                *out++ = kLf;
            } else {
                if (unit != kCr) // the CR of LF CR is dropped
                    *out++ = unit;
                state = NewlineState::nsNormal;
            }
            break;
        default:
            if (unit == kCr) {
                *out++ = kLf;
                state = NewlineState::nsSeenR;
            } else {
                *out++ = unit;
                state = unit == kLf ? NewlineState::nsSeenN : NewlineState::nsNormal;
            }
            break;
        }
    }
    return slate::usubstring(begin, out);
}

void normaliseNewlinesInString(ustring& text)
{
    NewlineState state = NewlineState::nsNormal;
    const slate::usubstring result = normaliseNewlines(&text[0], &text[0] + text.size(), state);
    text.resize(result.length());
}

const ustring& lineEndingName(LineEnding lineEnding)
{
    return lineEndingNames()[lineEnding <= kLineEndingMac ? lineEnding : kLineEndingWindows];
}

bool lineEndingFromName(const slate::usubstring& name, LineEnding& lineEnding)
{
    for (LineEnding id = kLineEndingWindows; id <= kLineEndingMac; ++id) {
        if (name.equalsNoCase(lineEndingNames()[id])) {
            lineEnding = id;
            return true;
        }
    }
    return false;
}

const ustring& lineEndingText(LineEnding lineEnding)
{
    static const ustring s_texts[4] = {u"\r\n", u"\n\r", u"\n", u"\r"};
    return s_texts[lineEnding <= kLineEndingMac ? lineEnding : kLineEndingWindows];
}

void toWindowsNewlines(ustring& text)
{
    size_t lineFeeds = 0;
    size_t stop = 0;
    for (; stop < text.size() && text[stop] != 0; ++stop) {
        if (text[stop] == kLf)
            ++lineFeeds;
    }
    ustring result(text.size() + lineFeeds, u'\0');
    size_t out = 0;
    for (size_t i = 0; i < stop; ++i) {
        if (text[i] == kLf)
            result[out++] = kCr;
        result[out++] = text[i];
    }
    text.swap(result);
}
