// Typing and deleting at every selection of a view, and the automatic
// indentation that comes with typed newlines.
//
// Commands walk the selections from the last to the first, so that an edit
// at one selection never moves the positions of those still to come; the
// buffer shifts the selections already done. The selection set defers those
// shifts, so typing at n carets costs O(n log n) however large the text is.
//
// Automatic indentation is recorded as regions of the view's "autows" set
// whose preferred-x slot holds the width the line's indentation had when it
// was written or last adjusted. After every typing or deleting command the
// set is cleaned (records the user overrode or left behind are dropped) and
// then re-indented (records on lines that now close or open a block move a
// level). Pattern tests go through the buffer's indentation pattern cache,
// which reports a faulty pattern once and answers false, so a bad
// preference never stops typing.
#include "ui/text/text_buffer_typing.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "ui/log.h"
#include "ui/string_utils.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"

const ustring kAutoWhitespaceName = u"autows";

namespace {

// The number of blanks from `from` on, stopping at `limit`.
int64_t blankRun(TextBuffer& buffer, int64_t from, int64_t limit)
{
    int64_t position = from;
    while (position < limit && isBlank(buffer.charAt(position)))
        ++position;
    return position - from;
}

int64_t clampToText(TextBuffer& buffer, int64_t position)
{
    return std::clamp<int64_t>(position, 0, buffer.size());
}

int32_t tabStopWidth(const TextBuffer& buffer)
{
    return std::max<int32_t>(buffer.m_tabSize, 1);
}

bool increasesIndent(TextBuffer& buffer, const ustring& line, int64_t scopePosition)
{
    return buffer.indentPatterns().matchesIncreaseIndent(line, buffer.metaInfo(scopePosition));
}

bool decreasesIndent(TextBuffer& buffer, const ustring& line, int64_t scopePosition)
{
    return buffer.indentPatterns().matchesDecreaseIndent(line, buffer.metaInfo(scopePosition));
}

// The automatic whitespace records of the view, made on first use.
SelectionSet& autoWhitespace(const ViewPtr& view)
{
    const ustring* name = view->buffer()->internRegionName(kAutoWhitespaceName);
    return view->viewState().namedRegions(name).regions;
}

// The records when there are any, else null; never makes the set.
SelectionSet* existingAutoWhitespace(const ViewPtr& view)
{
    const ustring* name = view->buffer()->internRegionName(kAutoWhitespaceName);
    NamedRegionMap& named = view->viewState().mutableNamedRegions();
    const auto found = named.find(name);
    if (found == named.end() || found->second.regions.empty())
        return nullptr;
    return &found->second.regions;
}

int64_t recordedWidth(const SelectionRegion& record)
{
    return static_cast<int64_t>(record.xpos);
}

// Whether some selection has an end in [from, to].
bool selectionEndWithin(const SelectionSet& selections, int64_t from, int64_t to)
{
    const std::vector<SelectionRegion>& regions = selections.regions();
    auto it = std::partition_point(regions.begin(), regions.end(),
                                   [&](const SelectionRegion& r) { return r.end() < from; });
    for (; it != regions.end() && it->begin() <= to; ++it) {
        if ((it->a >= from && it->a <= to) || (it->b >= from && it->b <= to))
            return true;
    }
    return false;
}

// insertCharacter, with the record of the indentation it inserts going to
// `pending` when that is not null (see typeAtSelections), else straight
// into the view's records.
int64_t insertUnit(const ViewPtr& view, int64_t position, uchar unit,
                   std::vector<SelectionRegion>* pending)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    if (unit != u'\n' || !buffer.m_autoIndent)
        return buffer.insertCharacters(position, ustring(1, unit));

    const int64_t start = lineStart(view, position);
    const int64_t end = lineEnd(view, position);
    const ustring line = buffer.substr(SelectionRegion(start, end));
    const int64_t carried = blankRun(buffer, start, position);
    const bool deeper = position == end && increasesIndent(buffer, line, position);

    const int64_t newlineCount = buffer.insertCharacters(position, ustring(1, u'\n'));
    if (newlineCount == 0)
        return 0;
    int64_t carryCount = 0;
    if (carried > 0)
        carryCount = buffer.insertCharacters(position + 1, line.substr(0, static_cast<size_t>(carried)));
    int64_t tabCount = 0;
    if (deeper)
        tabCount = buffer.insertCharacters(position + 1 + carryCount, ustring(1, u'\t'));
    const int64_t extra = carryCount + tabCount;
    if (extra != 0) {
        const SelectionRegion record(position + 1, position + 1 + extra, static_cast<int>(extra));
        if (pending)
            pending->push_back(record);
        else
            autoWhitespace(view).add(record);
    }
    return newlineCount + extra;
}

// Adds `created` (sorted, not overlapping) to the view's records in one
// linear merge.
void addRecords(const ViewPtr& view, const std::vector<SelectionRegion>& created)
{
    SelectionSet& records = autoWhitespace(view);
    const std::vector<SelectionRegion> existing = records.regions();
    std::vector<SelectionRegion> merged;
    merged.reserve(existing.size() + created.size());
    std::merge(existing.begin(), existing.end(), created.begin(), created.end(),
               std::back_inserter(merged));
    records.clear();
    for (const SelectionRegion& record : merged)
        records.push_back(record);
}

// Commands that edit at the selections end by showing them, once their
// group is closed.
void showSelectionAfterEdit(const ViewPtr& view)
{
    if (!view->sel().empty())
        showSelection(*view, false);
}

// The shared body of the three typing commands.
void typeAtSelections(const ViewPtr& view, const ustring& text, bool overwrite)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    const ustring command = overwrite ? u"overwriteAndDecodeCharacters" : u"insertAndDecodeCharacters";
    {
        ScopedUndoGroup group(makeCommandLine(command, text), view->sharedBuffer(), true, false);
        // The records of indentation typed here are kept aside and added in one
        // merge at the end: adding each to the record set (before all the
        // records of the carets done so far) would cost the square of the
        // number of carets. Edits at a caret never reach back before the
        // records made there, and the carets still to come lie before them, so
        // their distance to the end of the text is fixed once their caret is
        // done.
        std::vector<SelectionRegion> pending;
        std::vector<SelectionRegion> fromEnd; // (size - a, size - b), last caret first
        for (size_t i = view->sel().size(); i-- > 0;) {
            if (i >= view->sel().size())
                continue;
            pending.clear();
            for (const uchar unit : text)
                insertUnit(view, view->sel()[i].begin(), unit, &pending);
            const SelectionRegion typed = view->sel()[i];
            if (overwrite && typed.empty()) {
                const int64_t caret = typed.b;
                const int64_t limit = std::min<int64_t>(caret + static_cast<int64_t>(text.size()),
                                                        lineEnd(view, caret));
                buffer.eraseCharacters(SelectionRegion(caret, limit));
            } else {
                buffer.eraseCharacters(typed);
            }
            for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
                fromEnd.push_back(SelectionRegion(buffer.size() - it->a, buffer.size() - it->b,
                                                  static_cast<int>(it->xpos)));
            }
        }
        if (!fromEnd.empty()) {
            std::vector<SelectionRegion> created;
            created.reserve(fromEnd.size());
            for (auto it = fromEnd.rbegin(); it != fromEnd.rend(); ++it) {
                created.push_back(SelectionRegion(buffer.size() - it->a, buffer.size() - it->b,
                                                  static_cast<int>(it->xpos)));
            }
            addRecords(view, created);
        }
        cleanAutoWhitespace(view);
        reindentAutoWhitespace(view);
    }
    showSelectionAfterEdit(view);
}

// The shared body of backspace and delete at carets: `eraseAt` gives the
// region to erase for a caret.
template <typename EraseAt>
void deleteAtCarets(const ViewPtr& view, const char16_t* command, EraseAt eraseAt)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    {
        ScopedUndoGroup group(slate::usubstring(ustring(command)), view->sharedBuffer(), true, false);
        if (hasNonEmptySelectionRegion(view)) {
            eraseSelections(view);
        } else {
            const std::vector<SelectionRegion> carets = view->sel().regions();
            for (auto it = carets.rbegin(); it != carets.rend(); ++it)
                buffer.eraseCharacters(eraseAt(clampToText(buffer, it->b)));
        }
        cleanAutoWhitespace(view);
        reindentAutoWhitespace(view);
    }
    showSelectionAfterEdit(view);
}

} // namespace

void insertCharacters(const ViewPtr& view, const ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    {
        ScopedUndoGroup group(makeCommandLine(u"insertCharacters", text), view->sharedBuffer(), true,
                              false);
        for (size_t i = view->sel().size(); i-- > 0;) {
            if (i >= view->sel().size())
                continue;
            buffer.insertCharacters(clampToText(buffer, view->sel()[i].begin()), text);
            buffer.eraseCharacters(view->sel()[i]);
        }
    }
    showSelectionAfterEdit(view);
}

void insertAndDecodeCharacters(const ViewPtr& view, const ustring& text)
{
    typeAtSelections(view, text, false);
}

void overwriteAndDecodeCharacters(const ViewPtr& view, const ustring& text)
{
    typeAtSelections(view, text, true);
}

void leftDeleteCharacters(const ViewPtr& view, bool toTabStop)
{
    TextBuffer& buffer = *view->buffer();
    const bool tabStops = toTabStop && buffer.m_translateTabsToSpaces && buffer.m_useTabStops;
    deleteAtCarets(view, u"leftDeleteCharacters", [&](int64_t caret) {
        const SelectionRegion previousUnit(std::max<int64_t>(caret - 1, 0), caret);
        if (!tabStops)
            return previousUnit;
        int32_t row = 0, column = 0;
        buffer.rowcol(caret, row, column);
        if (column == 0)
            return previousUnit;
        const int32_t width = tabStopWidth(buffer);
        const int32_t step = column % width == 0 ? width : column % width;
        int64_t from = caret;
        while (from > 0 && caret - from < step && buffer.charAt(from - 1) == u' ')
            --from;
        return from < caret ? SelectionRegion(from, caret) : previousUnit;
    });
}

void rightDeleteCharacters(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    deleteAtCarets(view, u"rightDeleteCharacters", [&](int64_t caret) {
        return SelectionRegion(caret, std::min<int64_t>(caret + 1, buffer.size()));
    });
}

void deleteCharacters(const ViewPtr& view)
{
    if (view->buffer()->isReadOnly())
        return;
    {
        ScopedUndoGroup group(slate::usubstring(ustring(u"deleteCharacters")), view->sharedBuffer(),
                              true, false);
        eraseSelections(view);
    }
    showSelectionAfterEdit(view);
}

void eraseSelections(const ViewPtr& view)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    const std::vector<SelectionRegion> regions = view->sel().regions();
    for (auto it = regions.rbegin(); it != regions.rend(); ++it)
        buffer.eraseCharacters(*it);
    VASSERT(!hasNonEmptySelectionRegion(view));
}

void replaceCharacters(const ViewPtr& view, const SelectionRegion& region, const ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    const std::vector<SelectionRegion>& before = view->sel().regions();
    const auto equal = std::find(before.rbegin(), before.rend(), region);
    const bool found = equal != before.rend();
    const size_t index = found ? static_cast<size_t>(before.rend() - equal - 1) : 0;
    const size_t count = before.size();

    {
        ScopedUndoGroup group(slate::usubstring(ustring(u"Replace Characters")), view->sharedBuffer(),
                              false, false);
        buffer.eraseCharacters(region);
        const int64_t begin = clampToText(buffer, region.begin());
        const int32_t inserted = buffer.insertCharacters(begin, text);
        if (found && view->sel().size() == count)
            view->mutableSel().set(index, SelectionRegion(begin, begin + inserted));
    }
    showPoint(*view, clampToText(buffer, region.b), false);
}

int64_t insertCharacter(const ViewPtr& view, int64_t position, uchar unit)
{
    return insertUnit(view, position, unit, nullptr);
}

int64_t previousNonEmptyLine(const ViewPtr& view, int64_t position, ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    while (position > 0) {
        const int64_t start = lineStart(view, position - 1);
        const int64_t end = lineEnd(view, position - 1);
        if (end > start) {
            text = buffer.substr(SelectionRegion(start, end));
            return end;
        }
        position = start;
    }
    text.clear();
    return 0;
}

ustring autoIndentText(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    const int64_t start = lineStart(view, position);
    ustring previous;
    const int64_t previousEnd = previousNonEmptyLine(view, start, previous);
    if (previousEnd == start)
        return ustring();
    ustring indentation = previous.substr(0, static_cast<size_t>(leadingBlankCount(previous)));
    if (increasesIndent(buffer, previous, previousEnd))
        indentation += u'\t';
    return indentation;
}

int32_t eraseIndentBefore(TextBuffer& buffer, int64_t position, int32_t limit)
{
    position = clampToText(buffer, position);
    const int64_t sizeBefore = buffer.size();
    if (position > 0 && buffer.charAt(position - 1) == u'\t') {
        buffer.eraseCharacters(SelectionRegion(position - 1, position));
    } else if (limit >= 1) {
        int64_t from = position;
        while (from > 0 && position - from < limit && buffer.charAt(from - 1) == u' ')
            --from;
        buffer.eraseCharacters(SelectionRegion(from, position));
    }
    return static_cast<int32_t>(sizeBefore - buffer.size());
}

int32_t eraseIndentAfter(TextBuffer& buffer, int64_t position, int32_t limit)
{
    position = clampToText(buffer, position);
    const int64_t sizeBefore = buffer.size();
    if (position < buffer.size() && buffer.charAt(position) == u'\t') {
        buffer.eraseCharacters(SelectionRegion(position, position + 1));
    } else if (limit >= 1) {
        int64_t to = position;
        while (to < buffer.size() && to - position < limit && buffer.charAt(to) == u' ')
            ++to;
        buffer.eraseCharacters(SelectionRegion(position, to));
    }
    return static_cast<int32_t>(sizeBefore - buffer.size());
}

bool isBlank(uchar unit)
{
    return unit == u' ' || unit == u'\t';
}

int64_t leadingBlankCount(const ustring& text)
{
    const auto end = std::find_if_not(text.begin(), text.end(), isBlank);
    return end - text.begin();
}

ustring lineIndentation(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    const int64_t start = lineStart(view, position);
    const int64_t width = blankRun(buffer, start, lineEnd(view, position));
    return buffer.substr(SelectionRegion(start, start + width));
}

void cleanAutoWhitespace(const ViewPtr& view)
{
    SelectionSet* records = existingAutoWhitespace(view);
    if (!records)
        return;
    TextBuffer& buffer = *view->buffer();
    // Decide first and edit afterwards: a trimmed line shifts the records
    // after it, which are decided already. Each decision looks only at its
    // own line, which no later (earlier-placed) trim moves.
    std::vector<SelectionRegion> kept;
    std::vector<SelectionRegion> trims; // from the last line to the first
    const std::vector<SelectionRegion>& regions = records->regions();
    for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
        const int64_t start = lineStart(view, it->a);
        const int64_t end = lineEnd(view, it->a);
        const int64_t width = blankRun(buffer, start, end);
        if (width != recordedWidth(*it))
            continue;
        if (selectionEndWithin(view->sel(), start, end)) {
            kept.push_back(*it);
            continue;
        }
        const SelectionRegion line(start, end);
        if (buffer.m_trimAutomaticWhitespace && end > start && end - start == width &&
            (trims.empty() || trims.back() != line))
            trims.push_back(line);
    }
    if (kept.size() != regions.size()) {
        records->clear();
        for (auto it = kept.rbegin(); it != kept.rend(); ++it)
            records->push_back(*it);
    }
    for (const SelectionRegion& line : trims)
        buffer.eraseCharacters(line);
}

void reindentAutoWhitespace(const ViewPtr& view)
{
    SelectionSet* records = existingAutoWhitespace(view);
    if (!records)
        return;
    TextBuffer& buffer = *view->buffer();
    std::vector<int64_t> widths(records->size());
    for (size_t i = records->size(); i-- > 0;) {
        if (i >= records->size())
            continue;
        const SelectionRegion record = (*records)[i];
        widths[i] = recordedWidth(record);
        const int64_t start = lineStart(view, record.a);
        const int64_t end = lineEnd(view, record.a);
        const ustring current = buffer.substr(SelectionRegion(start, end));
        const int64_t width = leadingBlankCount(current);
        if (width != recordedWidth(record))
            continue;
        ustring previous;
        const int64_t previousEnd = previousNonEmptyLine(view, start, previous);
        if (previousEnd == start)
            continue;
        const int64_t previousWidth = leadingBlankCount(previous);
        const bool opens = increasesIndent(buffer, previous, previousEnd);
        const bool closes = decreasesIndent(buffer, current, end);

        // One level in or out, judged against the line above: after a line
        // that opens a block, or on a line that closes one, only from equal
        // indentation; otherwise towards the indentation above.
        int64_t delta = 0;
        const bool deeper = opens != closes ? opens && previousWidth == width : previousWidth > width;
        const bool shallower =
            opens != closes ? closes && previousWidth == width : previousWidth < width;
        if (deeper)
            delta = buffer.insertCharacters(start, ustring(1, u'\t'));
        else if (shallower)
            delta = -eraseIndentBefore(buffer, start + width, tabStopWidth(buffer));

        widths[i] = width + delta;
    }
    // Written back in one pass: changing a record between edits would make
    // every later edit re-check the order of the whole set.
    std::vector<SelectionRegion> updated = records->regions();
    if (updated.size() != widths.size())
        return;
    for (size_t i = 0; i < updated.size(); ++i)
        updated[i].xpos = static_cast<double>(widths[i]);
    records->clear();
    for (const SelectionRegion& record : updated)
        records->push_back(record);
}
