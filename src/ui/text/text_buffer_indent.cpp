// Indenting, unindenting, re-indenting and joining the lines of a view's
// selections.
//
// Indent and unindent walk the selections in order and keep a running
// offset of the text they added or removed, so that the positions copied
// before the edit stay usable; they visit only line starts (found through
// the storage's row index), never every position of a selection, so that a
// select-all over a large file costs one step per line. Join and the line
// trimming walk their line regions from the last to the first, so that an
// edit never moves a region still to come.
#include "ui/text/text_buffer_indent.h"

#include <algorithm>
#include <vector>

#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"

namespace {

int32_t rowOf(const TextBuffer& buffer, int64_t position)
{
    int32_t row = 0, column = 0;
    buffer.rowcol(position, row, column);
    return row;
}

// The start of the line after the one holding `position`, or -1 when that
// line is the last.
int64_t nextLineStart(const ViewPtr& view, int64_t position)
{
    const int64_t end = lineEnd(view, position);
    return view->buffer()->charAt(end) == u'\n' ? end + 1 : -1;
}

// Calls `editLine` (line start) -> signed change of the text, once for the
// first line of every selection and every line starting inside it, skipping
// a line already visited by the selection before. The selections are those
// from before the edit; the changes are summed to keep them current.
template <typename EditLine>
void forEachSelectedLineStart(const ViewPtr& view, EditLine editLine)
{
    TextBuffer& buffer = *view->buffer();
    const std::vector<SelectionRegion> selections = view->sel().regions();
    int64_t offset = 0;
    int32_t lastRow = -1;
    for (const SelectionRegion& selection : selections) {
        const int64_t begin = std::clamp<int64_t>(selection.begin() + offset, 0, buffer.size());
        int64_t end = std::clamp<int64_t>(selection.end() + offset, 0, buffer.size());
        const int64_t firstStart = lineStart(view, begin);
        const int32_t firstRow = rowOf(buffer, firstStart);
        if (firstRow != lastRow) {
            const int64_t change = editLine(firstStart);
            offset += change;
            end += change;
            lastRow = firstRow;
        }
        for (int64_t start = nextLineStart(view, firstStart); start != -1 && start < end;
             start = nextLineStart(view, start)) {
            const int32_t row = rowOf(buffer, start);
            if (row == lastRow)
                continue;
            const int64_t change = editLine(start);
            offset += change;
            end += change;
            lastRow = row;
        }
    }
}

// One place where lines are joined: the newline there and the blanks on
// both sides of it, [from, to), become one space. Joining line after line
// from the last to the first, a line of blanks only between two joined
// newlines ends up in one run with both.
struct JoinRun {
    int64_t from;
    int64_t to;
};

// The runs of joining every line region of `lineRegions` (in order) with
// the line after it, in text order, overlapping runs merged.
std::vector<JoinRun> joinRuns(TextBuffer& buffer, const SelectionSet& lineRegions)
{
    std::vector<JoinRun> runs;
    const int64_t size = buffer.size();
    for (const SelectionRegion& line : lineRegions) {
        const int64_t newline = line.end();
        if (newline >= size)
            continue;
        int64_t from = newline;
        while (from > 0 && isBlank(buffer.charAt(from - 1)))
            --from;
        int64_t to = newline + 1;
        while (to < size && isBlank(buffer.charAt(to)))
            ++to;
        if (!runs.empty() && from <= runs.back().to)
            runs.back().to = std::max(runs.back().to, to);
        else
            runs.push_back(JoinRun{from, to});
    }
    return runs;
}

// Where `selections` end up when every run is replaced by a space, as if
// the runs had been replaced one by one: a caret or a begin inside or at
// the edge of a run goes after its space, an end goes before it.
SelectionSet selectionsAfterJoin(const SelectionSet& selections, const std::vector<JoinRun>& runs)
{
    std::vector<int64_t> shiftBefore(runs.size() + 1, 0); // growth of the text before run i
    for (size_t i = 0; i < runs.size(); ++i)
        shiftBefore[i + 1] = shiftBefore[i] + 1 - (runs[i].to - runs[i].from);
    const auto map = [&](int64_t position, bool isEnd) {
        const size_t i = static_cast<size_t>(
            std::partition_point(runs.begin(), runs.end(),
                                 [&](const JoinRun& run) { return run.to < position; }) -
            runs.begin());
        if (i < runs.size() && runs[i].from <= position) {
            const int64_t space = runs[i].from + shiftBefore[i];
            return isEnd ? space : space + 1;
        }
        return position + shiftBefore[i];
    };
    SelectionSet out;
    for (const SelectionRegion& selection : selections) {
        if (selection.empty()) {
            out.add(SelectionRegion(map(selection.a, false)));
            continue;
        }
        const int64_t begin = map(selection.begin(), false);
        const int64_t end = std::max(begin, map(selection.end(), true));
        out.add(SelectionRegion(begin, end, selection.isReversed()));
    }
    return out;
}

// Replaces every run by one space. The runs that end up on one line are
// replaced in one edit: the storage re-reads a whole line on every edit, so
// a space at a time would cost the square of the joined line's length.
void replaceJoinRuns(const ViewPtr& view, const std::vector<JoinRun>& runs)
{
    TextBuffer& buffer = *view->buffer();
    size_t last = runs.size();
    while (last > 0) {
        size_t first = last - 1;
        // Runs share a line when no newline stands between them.
        while (first > 0 && lineEnd(view, runs[first - 1].to) >= runs[first].from)
            --first;
        ustring joined(1, u' ');
        for (size_t i = first + 1; i < last; ++i) {
            joined += buffer.substr(SelectionRegion(runs[i - 1].to, runs[i].from));
            joined += u' ';
        }
        const SelectionRegion block(runs[first].from, runs[last - 1].to);
        buffer.eraseCharacters(block);
        buffer.insertCharacters(block.begin(), joined.data(), joined.data() + joined.size(), true);
        last = first;
    }
}

// Indent and unindent show the selections as they were before the edit.
void showRegionsBefore(const ViewPtr& view, const SelectionSet& before)
{
    if (!before.empty())
        showRegions(*view, before, false);
}

} // namespace

void indent(const ViewPtr& view, const ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    const SelectionSet before = view->sel();
    {
        ScopedUndoGroup group(makeCommandLine(u"indent", text), view->sharedBuffer(), false, false);
        forEachSelectedLineStart(view, [&](int64_t start) -> int64_t {
            if (buffer.charAt(start) == u'\n')
                return 0;
            return buffer.insertCharacters(start, text);
        });
    }
    showRegionsBefore(view, before);
}

void unindent(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    const SelectionSet before = view->sel();
    {
        ScopedUndoGroup group(ustring(u"unindent"), view->sharedBuffer(), false, false);
        const int32_t limit = std::max<int32_t>(buffer.m_tabSize, 1);
        forEachSelectedLineStart(
            view, [&](int64_t start) -> int64_t { return -eraseIndentAfter(buffer, start, limit); });
    }
    showRegionsBefore(view, before);
}

void reindent(const ViewPtr& view)
{
    ScopedUndoGroup group(ustring(u"reindent"), view->sharedBuffer(), false, false);
    SelectionSet lineRegions;
    bool caretsOnly = true;
    for (const SelectionRegion& selection : view->sel()) {
        const SelectionRegion whole(lineStart(view, selection.begin()), lineEnd(view, selection.end()));
        if (selection.empty()) {
            lineRegions.add(whole);
            continue;
        }
        caretsOnly = false;
        SelectionSet pieces;
        splitByNewlines(view, whole, pieces);
        for (const SelectionRegion& piece : pieces) {
            if (!piece.empty())
                lineRegions.add(piece);
        }
    }
    int64_t shift = 0;
    for (const SelectionRegion& region : lineRegions.regions()) {
        shift += reindentLine(view, SelectionRegion(region.a + shift, region.b + shift), caretsOnly);
    }
}

int64_t reindentLine(const ViewPtr& view, const SelectionRegion& region, bool caretsOnly)
{
    TextBuffer& buffer = *view->buffer();
    const int64_t begin = std::clamp<int64_t>(region.begin(), 0, buffer.size());
    const ustring text = buffer.substr(SelectionRegion(begin, region.end()));
    const int64_t currentWidth = leadingBlankCount(text);
    const ustring current = text.substr(0, static_cast<size_t>(currentWidth));
    const int64_t indentEnd = begin + currentWidth;

    ustring desired = autoIndentText(view, indentEnd);
    const bool tabKey = caretsOnly && desired.empty();
    if (tabKey)
        desired = u"\t";
    if (desired == current)
        return 0;
    const int64_t inserted = buffer.insertCharacters(indentEnd, desired);
    buffer.eraseCharacters(SelectionRegion(begin, indentEnd));
    const int64_t erased = buffer.isReadOnly() ? 0 : currentWidth;
    if (!tabKey && inserted > 0) {
        const ustring* name = buffer.internRegionName(kAutoWhitespaceName);
        view->viewState().namedRegions(name).regions.add(
            SelectionRegion(begin, begin + inserted, static_cast<int>(inserted)));
    }
    return inserted - erased;
}

void join(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    ScopedUndoGroup group(ustring(u"join"), view->sharedBuffer(), false, false);
    SelectionSet targets;
    for (const SelectionRegion& selection : view->sel()) {
        const SelectionRegion inText(std::clamp<int64_t>(selection.a, 0, buffer.size()),
                                     std::clamp<int64_t>(selection.b, 0, buffer.size()));
        targets.add(inText.empty() ? SelectionRegion(lineEnd(view, inText.a)) : inText);
    }
    view->mutableSel() = targets;

    SelectionSet lineRegions;
    selectedLineRegions(view, lineRegions);
    const std::vector<JoinRun> runs = joinRuns(buffer, lineRegions);
    if (!runs.empty()) {
        const SelectionSet joined = selectionsAfterJoin(view->sel(), runs);
        replaceJoinRuns(view, runs);
        view->mutableSel() = joined;
    }
    trimSelectedLineEnds(view);
}

void selectedLineRegions(const ViewPtr& view, SelectionSet& out)
{
    SelectionSet covers;
    for (const SelectionRegion& selection : view->sel())
        covers.add(SelectionRegion(lineStart(view, selection.begin()), lineEnd(view, selection.end())));
    splitAllByNewlines(covers, view, out);
}

void trimSelectedLineEnds(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    SelectionSet lineRegions;
    selectedLineRegions(view, lineRegions);
    const std::vector<SelectionRegion>& regions = lineRegions.regions();
    for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
        int64_t from = it->end();
        while (from > it->begin() && isBlank(buffer.charAt(from - 1)))
            --from;
        buffer.eraseCharacters(SelectionRegion(from, it->end()));
    }
}
