// Caret movement. Every command builds a new selection set from the old one
// region by region, in text order, so that regions that meet on the way
// merge as SelectionSet::add merges them; the set is shown and then swapped
// in. Horizontal units (characters, words, line ends) read the characters
// through the buffer; vertical units go through the view's layout, so that
// they follow wrapped lines and aim at a preferred x kept on the selection.
#include "ui/text/text_buffer_movement.h"

#include <algorithm>
#include <cmath>

#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"

namespace {

int64_t clampToText(const TextBuffer& buffer, int64_t position)
{
    return std::clamp<int64_t>(position, 0, buffer.size());
}

ustring groupName(const char16_t* name, bool extend)
{
    ustring text(name);
    if (extend)
        text += u" extend";
    return text;
}

const char16_t* directed(bool forward, const char16_t* down, const char16_t* up)
{
    return forward ? down : up;
}

// Makes `regions` the selection after showing their carets.
void showAndSelect(TextBufferView& view, const SelectionSet& regions)
{
    showRegions(view, regions, false);
    view.mutableSel() = regions;
}

// The common shape of a caret move: every caret goes to `unit` of itself
// (a PositionAndX), the anchor follows unless `extend`.
template <typename Unit>
void moveEachCaret(const ViewPtr& view, const ustring& name, bool extend, Unit unit)
{
    if (view->sel().empty())
        return;
    ScopedUndoGroup group(name, view->sharedBuffer(), true, false);
    SelectionSet moved;
    moved.reserve(view->sel().size());
    for (const SelectionRegion& region : view->sel()) {
        const PositionAndX target = unit(region);
        SelectionRegion next(extend ? region.a : target.position, target.position);
        next.xpos = target.x;
        moved.add(next);
    }
    showAndSelect(*view, moved);
}

// moveEachCaret with a unit that only gives a position: the preferred x
// is reset.
template <typename Unit>
void moveEachCaretTo(const ViewPtr& view, const ustring& name, bool extend, Unit unit)
{
    moveEachCaret(view, name, extend, [&](const SelectionRegion& region) {
        return PositionAndX{unit(region.b), -1.0};
    });
}

void moveWordsBy(const ViewPtr& view, const char16_t* forwardName, const char16_t* backwardName,
                 bool forward, bool extend, bool stopAtStarts, bool stopAtEnds)
{
    moveEachCaretTo(view, groupName(directed(forward, forwardName, backwardName), extend), extend,
                    [&](int64_t position) {
                        return wordBoundary(view, position, forward, stopAtStarts, stopAtEnds);
                    });
}

// The body of moveLines, `lines` lines at a time, inside the caller's group.
bool moveLinesBy(const ViewPtr& view, int64_t lines, bool extend, bool clampToEnds)
{
    TextBufferView& target = *view;
    const SelectionSet& old = target.sel();
    SelectionSet moved;
    moved.reserve(old.size());
    for (SelectionRegion region : old) {
        if (region.xpos == -1.0)
            region.xpos = target.textToLayout(clampToText(*target.buffer(), region.b)).x;
        if (extend || region.empty()) {
            region.b = pointByLines(view, region.b, lines, clampToEnds, region.xpos);
            if (!extend)
                region.a = region.b;
        } else {
            region = SelectionRegion(lines > 0 ? region.end() : region.begin());
        }
        moved.add(region);
    }
    const bool changed = moved != old;
    showAndSelect(target, moved);
    return changed;
}

} // namespace

void moveCharacters(const ViewPtr& view, bool forward, bool extend)
{
    const TextBuffer& buffer = *view->buffer();
    const ustring name = groupName(directed(forward, u"move characters 1", u"move characters -1"), extend);
    moveEachCaret(view, name, extend, [&](const SelectionRegion& region) {
        int64_t target = clampToText(buffer, region.b + (forward ? 1 : -1));
        if (!extend && !region.empty())
            target = forward ? region.end() : region.begin();
        return PositionAndX{target, -1.0};
    });
}

void moveWords(const ViewPtr& view, bool forward, bool extend)
{
    moveWordsBy(view, u"move words 1", u"move words -1", forward, extend, true, false);
}

void moveWordEnds(const ViewPtr& view, bool forward, bool extend)
{
    moveWordsBy(view, u"move wordends 1", u"move wordends -1", forward, extend, false, true);
}

void moveWordBoundaries(const ViewPtr& view, bool forward, bool extend)
{
    moveWordsBy(view, u"move wordboundaries 1", u"move wordboundaries -1", forward, extend, true,
                true);
}

bool moveLines(const ViewPtr& view, bool forward, bool extend)
{
    if (view->sel().empty())
        return false;
    ScopedUndoGroup group(groupName(directed(forward, u"move lines 1", u"move lines -1"), extend),
                          view->sharedBuffer(), true, false);
    return moveLinesBy(view, forward ? 1 : -1, extend, extend);
}

bool movePages(const ViewPtr& view, bool forward, bool extend)
{
    if (view->sel().empty())
        return false;
    ScopedUndoGroup group(groupName(directed(forward, u"move pages 1", u"move pages -1"), extend),
                          view->sharedBuffer(), true, false);
    TextBufferView& target = *view;
    const double lineHeight = target.lineHeight();
    const int64_t pageLines =
        lineHeight > 0.0 ? static_cast<int64_t>(std::floor(target.viewportHeight() / lineHeight)) : 0;
    const double oldX = target.translationX();
    const double oldY = target.translationY();
    const bool changed = moveLinesBy(view, forward ? pageLines : -pageLines, extend, true);

    // The page scrolls with the carets, whatever showing them scrolled.
    const double maxY = target.contentOverhang().y;
    double y = oldY;
    if (!forward || maxY > oldY)
        y = std::clamp(oldY + lineHeight * static_cast<double>(forward ? pageLines : -pageLines), 0.0,
                       std::max(0.0, maxY));
    target.setTranslationY(y);
    target.setTranslationX(oldX);
    return changed;
}

void selectLines(const ViewPtr& view, bool forward)
{
    if (view->sel().empty())
        return;
    ScopedUndoGroup group(directed(forward, u"selectLines 1", u"selectLines -1"), view->sharedBuffer(),
                          true, false);
    const SelectionSet before = view->sel();
    moveLines(view, forward, false);
    view->mutableSel().addAll(before);
}

void moveWholeLines(const ViewPtr& view, bool forward)
{
    if (view->sel().empty())
        return;
    ScopedUndoGroup group(directed(forward, u"move wholelines 1", u"move wholelines -1"),
                          view->sharedBuffer(), true, false);
    SelectionSet moved;
    moved.reserve(view->sel().size());
    for (const SelectionRegion& region : view->sel()) {
        const SelectionRegion inner =
            region.empty() ? region : SelectionRegion(region.begin(), region.end() - 1);
        const SelectionRegion full = fullLine(view, inner);
        if (full.begin() >= region.begin() && region.end() >= full.end()) {
            // Already whole lines: the caret takes one more line, or gives one back.
            const SelectionRegion caretLine = fullLine(view, region.empty() ? region.b : region.b - 1);
            moved.add(SelectionRegion(region.a, forward ? fullLineEnd(view, caretLine.end())
                                                        : caretLine.begin()));
        } else {
            moved.add(SelectionRegion(full.begin(), full.end(), !forward));
        }
    }
    showAndSelect(*view, moved);
}

void moveToHardBol(const ViewPtr& view, bool extend)
{
    moveEachCaretTo(view, groupName(u"moveTo hardbol", extend), extend,
                    [&](int64_t position) { return lineStart(view, position); });
}

void moveToBol(const ViewPtr& view, bool extend)
{
    moveEachCaret(view, groupName(u"moveTo bol", extend), extend, [&](const SelectionRegion& region) {
        return smartLineStart(view, region.b, region.xpos);
    });
}

void moveToHardEol(const ViewPtr& view, bool extend)
{
    moveEachCaretTo(view, groupName(u"moveTo hardeol", extend), extend,
                    [&](int64_t position) { return lineEnd(view, position); });
}

void moveToEol(const ViewPtr& view, bool extend)
{
    moveEachCaret(view, groupName(u"moveTo eol", extend), extend, [&](const SelectionRegion& region) {
        return visualLineEnd(view, region.b, region.xpos);
    });
}

void moveToBof(const ViewPtr& view, bool extend)
{
    moveEachCaretTo(view, groupName(u"moveTo bof", extend), extend, [](int64_t) { return int64_t(0); });
}

void moveToEof(const ViewPtr& view, bool extend)
{
    const int64_t size = view->buffer()->size();
    moveEachCaretTo(view, groupName(u"moveTo eof", extend), extend, [&](int64_t) { return size; });
}

void moveToBrackets(const ViewPtr& view)
{
    moveEachCaretTo(view, u"moveTo brackets", false,
                    [&](int64_t position) { return matchingBracketPoint(view, position); });
}

int64_t wordBoundary(const ViewPtr& view, int64_t position, bool forward, bool stopAtStarts,
                     bool stopAtEnds)
{
    TextBuffer& buffer = *view->buffer();
    const ustring& separators = buffer.m_wordSeparators;
    const auto isSeparator = [&](uchar unit) { return separators.find(unit) != ustring::npos; };
    const auto isWord = [&](uchar unit) {
        return unit != u'\n' && !isBlank(unit) && !isSeparator(unit);
    };
    position = clampToText(buffer, position);
    const int64_t limit = forward ? buffer.size() : 0;
    const int64_t step = forward ? 1 : -1;
    if (position == limit)
        return position;
    position += step;
    for (; position != limit; position += step) {
        const uchar prev = buffer.charAt(position - 1);
        const uchar cur = buffer.charAt(position);
        if (prev == u'\n' || cur == u'\n')
            break;
        if (stopAtStarts &&
            ((isBlank(prev) && !isBlank(cur)) || (isSeparator(prev) && isWord(cur)) ||
             (!isSeparator(prev) && isSeparator(cur))))
            break;
        if (stopAtEnds &&
            ((!isBlank(prev) && isBlank(cur)) || (isWord(prev) && isSeparator(cur)) ||
             (isSeparator(prev) && !isSeparator(cur))))
            break;
    }
    return position;
}

int64_t pointByLines(const ViewPtr& view, int64_t position, int64_t lines, bool clampToEnds,
                     double preferredX)
{
    TextBufferView& target = *view;
    const int64_t size = target.buffer()->size();
    position = std::clamp<int64_t>(position, 0, size);
    if (lines == 0)
        return position;
    if (clampToEnds && ((position == 0 && lines < 0) || (position == size && lines > 0)))
        return position;
    LayoutPoint point = target.textToLayoutNearX(position, preferredX);
    if (preferredX != -1.0)
        point.x = preferredX;
    point.y += target.lineHeight() * static_cast<double>(lines);
    int64_t result = point.y >= 0.0 ? target.layoutToText(point) : position;
    if (clampToEnds && result == position)
        result = lines > 0 ? size : 0;
    return result;
}

PositionAndX smartLineStart(const ViewPtr& view, int64_t position, double preferredX)
{
    TextBufferView& target = *view;
    TextBuffer& buffer = *target.buffer();
    position = clampToText(buffer, position);
    LayoutPoint point = target.textToLayoutNearX(position, preferredX);
    point.x = 0.0;
    const int64_t start = target.layoutToText(point);
    int64_t firstNonBlank = start;
    while (firstNonBlank < buffer.size() && isBlank(buffer.charAt(firstNonBlank)))
        ++firstNonBlank;
    const bool blankLine = buffer.charAt(firstNonBlank) == u'\n';
    const bool toStart = blankLine ? position != start : position == firstNonBlank;
    return toStart ? PositionAndX{start, 0.0} : PositionAndX{firstNonBlank, -1.0};
}

PositionAndX visualLineEnd(const ViewPtr& view, int64_t position, double preferredX)
{
    TextBufferView& target = *view;
    LayoutPoint point = target.textToLayoutNearX(clampToText(*target.buffer(), position), preferredX);
    point.x = kLineEndX;
    return {target.layoutToText(point), kLineEndX};
}

int64_t matchingBracketPoint(const ViewPtr& view, int64_t position)
{
    TextBuffer& buffer = *view->buffer();
    position = clampToText(buffer, position);
    const SelectionRegion pair = buffer.findMatchingBracket(position, 10000);
    if (pair.empty())
        return position;
    const int64_t begin = pair.begin(), end = pair.end();
    if (position == begin)
        return end;
    if (position == end)
        return begin;
    if (position == begin + 1)
        return end - 1;
    if (position == end - 1)
        return begin + 1;
    return end - 1;
}
