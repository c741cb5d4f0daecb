// Line, word and selection queries over a view. Line boundaries come from
// the token storage's row index (rowcol and textPoint, both logarithmic in
// the text), never from scanning for newlines, so that asking at every caret
// of a many-caret selection in a large file stays cheap. Word runs are
// scanned unit by unit: they are short.
#include "ui/text/text_buffer_functions.h"

#include <algorithm>
#include <exception>

#include "ui/log.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/util/regex_utils.h"

namespace {

int64_t clampToText(TextBuffer& buffer, int64_t position)
{
    return std::clamp<int64_t>(position, 0, buffer.size());
}

bool isWordCharacter(const TextBuffer& buffer, uchar unit)
{
    if (unit == u' ' || unit == u'\t' || unit == u'\n')
        return false;
    return buffer.m_wordSeparators.find(unit) == ustring::npos;
}

// From `position` towards the start (`step` -1) or the end (+1) while the
// units passed have the word class of the first one and are not newlines.
int64_t scanRun(TextBuffer& buffer, int64_t position, int step)
{
    const int64_t size = buffer.size();
    const int64_t firstOffset = step < 0 ? -1 : 0;
    if (position + firstOffset < 0 || position + firstOffset >= size)
        return position;
    const bool wordClass = isWordCharacter(buffer, buffer.charAt(position + firstOffset));
    while (position + firstOffset >= 0 && position + firstOffset < size) {
        const uchar unit = buffer.charAt(position + firstOffset);
        if (unit == u'\n' || isWordCharacter(buffer, unit) != wordClass)
            break;
        position += step;
    }
    return position;
}

// The rows of `region`'s ends differ.
bool spansRows(const TextBuffer& buffer, const SelectionRegion& region)
{
    int32_t rowA = 0, rowB = 0, column = 0;
    buffer.rowcol(region.a, rowA, column);
    buffer.rowcol(region.b, rowB, column);
    return rowA != rowB;
}

template <typename Predicate>
bool allSelections(const ViewPtr& view, Predicate predicate)
{
    VASSERT(view);
    const SelectionSet& selections = view->sel();
    return std::all_of(selections.begin(), selections.end(), predicate);
}

} // namespace

int64_t lineStart(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    int32_t row = 0, column = 0;
    buffer.rowcol(position, row, column);
    return position - column;
}

int64_t lineEnd(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    int32_t row = 0, column = 0;
    buffer.rowcol(position, row, column);
    if (row >= buffer.lineBreakCount())
        return buffer.size();
    return buffer.textPoint(row + 1, 0) - 1;
}

int64_t fullLineEnd(const ViewPtr& view, int64_t position)
{
    const int64_t end = lineEnd(view, position);
    return view->buffer()->charAt(end) == u'\n' ? end + 1 : end;
}

SelectionRegion word(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    const bool before = position > 0 && isWordCharacter(buffer, buffer.charAt(position - 1));
    const bool after = position < buffer.size() && isWordCharacter(buffer, buffer.charAt(position));
    if (before && !after)
        return SelectionRegion(scanRun(buffer, position, -1), position);
    if (after && !before)
        return SelectionRegion(position, scanRun(buffer, position, 1));
    // Both sides one word, or neither: the run on both sides.
    return SelectionRegion(scanRun(buffer, position, -1), scanRun(buffer, position, 1));
}

SelectionRegion word(const ViewPtr& view, const SelectionRegion& region)
{
    const SelectionRegion cover = word(view, region.a).cover(word(view, region.b));
    return SelectionRegion(cover.begin(), cover.end());
}

SelectionRegion line(const ViewPtr& view, int64_t position)
{
    return SelectionRegion(lineStart(view, position), lineEnd(view, position));
}

SelectionRegion fullLine(const ViewPtr& view, int64_t position)
{
    return SelectionRegion(lineStart(view, position), fullLineEnd(view, position));
}

SelectionRegion line(const ViewPtr& view, const SelectionRegion& region)
{
    return SelectionRegion(lineStart(view, region.begin()), lineEnd(view, region.end()));
}

SelectionRegion fullLine(const ViewPtr& view, const SelectionRegion& region)
{
    return SelectionRegion(lineStart(view, region.begin()), fullLineEnd(view, region.end()));
}

void splitByNewlines(const ViewPtr& view, const SelectionRegion& region, SelectionSet& out)
{
    TextBuffer& buffer = *view->buffer();
    int64_t begin = clampToText(buffer, region.begin());
    const int64_t end = clampToText(buffer, region.end());
    if (begin == end) {
        out.add(SelectionRegion(begin, end, region.isReversed()));
        return;
    }
    for (;;) {
        const int64_t newline = lineEnd(view, begin);
        if (end <= newline)
            break;
        out.add(SelectionRegion(begin, newline));
        begin = newline + 1;
    }
    if (begin < end)
        out.add(SelectionRegion(begin, end));
}

void splitAllByNewlines(const SelectionSet& regions, const ViewPtr& view, SelectionSet& out)
{
    for (const SelectionRegion& region : regions)
        splitByNewlines(view, region, out);
}

void lines(const ViewPtr& view, const SelectionRegion& region, SelectionSet& out)
{
    TextBuffer& buffer = *view->buffer();
    const int64_t begin = lineStart(view, region.begin());
    int64_t end = clampToText(buffer, region.end());
    if (begin == end || buffer.charAt(end - 1) != u'\n')
        end = fullLineEnd(view, end);
    splitByNewlines(view, SelectionRegion(begin, end), out);
}

SelectionRegion lastSelectionOrWord(const ViewPtr& view)
{
    const SelectionSet& selections = view->sel();
    if (selections.empty())
        return SelectionRegion(0, 0);
    const SelectionRegion last = selections[selections.size() - 1];
    return last.empty() ? word(view, last.a) : last;
}

bool newlineInSelection(const ViewPtr& view)
{
    const TextBuffer& buffer = *view->buffer();
    const SelectionSet& selections = view->sel();
    return std::any_of(selections.begin(), selections.end(),
                       [&](const SelectionRegion& r) { return spansRows(buffer, r); });
}

bool hasNonEmptySelectionRegion(const ViewPtr& view)
{
    if (!view)
        return false;
    const SelectionSet& selections = view->sel();
    return std::any_of(selections.begin(), selections.end(),
                       [](const SelectionRegion& r) { return !r.empty(); });
}

bool hasMultipleNonEmptySelectionRegions(const ViewPtr& view)
{
    if (!view)
        return false;
    int found = 0;
    for (const SelectionRegion& region : view->sel()) {
        if (!region.empty() && ++found == 2)
            return true;
    }
    return false;
}

bool hasSelection(const ViewPtr& view)
{
    return view && !view->sel().empty();
}

bool allSelectionsEmpty(const ViewPtr& view)
{
    return allSelections(view, [](const SelectionRegion& r) { return r.empty(); });
}

bool allSelectionsNonEmpty(const ViewPtr& view)
{
    return allSelections(view, [](const SelectionRegion& r) { return !r.empty(); });
}

bool allFollowingCharacter(const ViewPtr& view, uchar character)
{
    return allSelections(view, [&](const SelectionRegion& r) {
        return r.empty() && view->buffer()->charAt(r.a) == character;
    });
}

bool noFollowingCharacter(const ViewPtr& view, uchar character)
{
    return allSelections(
        view, [&](const SelectionRegion& r) { return view->buffer()->charAt(r.a) != character; });
}

bool allPrecedingCharacter(const ViewPtr& view, uchar character)
{
    return allSelections(view, [&](const SelectionRegion& r) {
        return r.a > 0 && view->buffer()->charAt(r.a - 1) == character;
    });
}

bool noPrecedingCharacter(const ViewPtr& view, uchar character)
{
    return allSelections(view, [&](const SelectionRegion& r) {
        return r.a <= 0 || view->buffer()->charAt(r.a - 1) != character;
    });
}

bool matchText(const ViewPtr& view, const ustring& pattern, int part, bool negate)
{
    // A pattern that does not compile, and a match the engine gives up on
    // (too complex), both answer false: a binding context must never throw.
    try {
        const WideRegex regex = makeRegex(pattern, ustring());
        TextBuffer& buffer = *view->buffer();
        for (const SelectionRegion& selection : view->sel()) {
            SelectionRegion tested(selection.begin(), selection.end());
            if (part == kMatchPreceding)
                tested.a = lineStart(view, selection.begin());
            else if (part == kMatchFollowing)
                tested.b = lineEnd(view, selection.end());
            const ustring text = buffer.substr(tested);
            if (boost::u32regex_match(text.begin(), text.end(), regex) == negate)
                return false;
        }
    } catch (const std::exception& error) {
        VLOG << std::string(error.what()) << u" in regular expression " << pattern;
        return false;
    }
    return true;
}
