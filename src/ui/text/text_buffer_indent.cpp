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

} // namespace

void indent(const ViewPtr& view, const ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    ScopedUndoGroup group(makeCommandLine(u"indent", text), view->sharedBuffer(), false, false);
    forEachSelectedLineStart(view, [&](int64_t start) -> int64_t {
        if (buffer.charAt(start) == u'\n')
            return 0;
        return buffer.insertCharacters(start, text);
    });
}

void unindent(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    ScopedUndoGroup group(ustring(u"unindent"), view->sharedBuffer(), false, false);
    const int32_t limit = std::max<int32_t>(buffer.m_tabSize, 1);
    forEachSelectedLineStart(
        view, [&](int64_t start) -> int64_t { return -eraseIndentAfter(buffer, start, limit); });
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
    for (const SelectionRegion& selection : view->sel())
        targets.add(selection.empty() ? SelectionRegion(lineEnd(view, selection.a)) : selection);
    view->mutableSel() = targets;

    SelectionSet lineRegions;
    selectedLineRegions(view, lineRegions);
    const std::vector<SelectionRegion>& regions = lineRegions.regions();
    for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
        const int64_t end = it->end();
        if (end >= buffer.size())
            continue;
        buffer.eraseCharacters(SelectionRegion(end, end + 1));
        int64_t from = end;
        while (from > 0 && isBlank(buffer.charAt(from - 1)))
            --from;
        int64_t to = end;
        while (to < buffer.size() && isBlank(buffer.charAt(to)))
            ++to;
        buffer.eraseCharacters(SelectionRegion(from, to));
        buffer.insertCharacters(from, ustring(1, u' '));
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
