// Selection expansion and the selection-set commands. Each command builds
// its new set in one pass over the old one, in text order, so that the
// appends stay at the end of the new set and the cost stays linear in the
// number of selections.
#include "ui/text/text_buffer_expansion.h"

#include <algorithm>

#include "ui/text/bracket_matching.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"

namespace {

// The search limit of every bracket search here, in units each way.
constexpr int32_t kSearchLimit = 10000;

// Each enabled bracket kind as its bit, opening and closing character.
struct BracketKind {
    uint32_t bit;
    uchar open;
    uchar close;
};
constexpr BracketKind kBracketKinds[] = {
    {kMatchParentheses, u'(', u')'},
    {kMatchSquareBrackets, u'[', u']'},
    {kMatchBraces, u'{', u'}'},
    {kMatchAngleBrackets, u'<', u'>'},
};

bool isOpening(const TextBuffer& buffer, uchar unit)
{
    return std::any_of(std::begin(kBracketKinds), std::end(kBracketKinds), [&](const BracketKind& kind) {
        return (buffer.m_matchBrackets & kind.bit) && unit == kind.open;
    });
}

bool isClosing(const TextBuffer& buffer, uchar unit)
{
    return std::any_of(std::begin(kBracketKinds), std::end(kBracketKinds), [&](const BracketKind& kind) {
        return (buffer.m_matchBrackets & kind.bit) && unit == kind.close;
    });
}

// The inside of a pair, or the empty pair as it is.
SelectionRegion inside(const SelectionRegion& pair)
{
    return pair.empty() ? pair : SelectionRegion(pair.begin() + 1, pair.end() - 1);
}

// Replaces each selection with `expand` of it, in one undo group, when
// there is any selection.
template <typename Expand>
void expandEach(const ViewPtr& view, const char16_t* name, Expand expand)
{
    if (view->sel().empty())
        return;
    ScopedUndoGroup group(name, view->sharedBuffer(), true, false);
    SelectionSet expanded;
    expanded.reserve(view->sel().size());
    for (const SelectionRegion& region : view->sel())
        expanded.add(expand(region));
    view->mutableSel() = expanded;
}

void replaceSelection(const ViewPtr& view, const char16_t* name, const SelectionSet& regions)
{
    ScopedUndoGroup group(name, view->sharedBuffer(), true, false);
    view->mutableSel() = regions;
}

} // namespace

void expandSelectionToWord(const ViewPtr& view)
{
    expandEach(view, u"expandSelectionTo word", [&](const SelectionRegion& region) {
        return word(view, region.a).cover(word(view, region.b));
    });
}

void expandSelectionToLine(const ViewPtr& view)
{
    ScopedUndoGroup group(u"expandSelectionTo line", view->sharedBuffer(), true, false);
    SelectionSet expanded;
    expanded.reserve(view->sel().size());
    for (const SelectionRegion& region : view->sel())
        expanded.add(SelectionRegion(lineStart(view, region.begin()), fullLineEnd(view, region.end())));
    showRegions(*view, expanded, false);
    // Every region was added without a preferred x, and merging drops it.
    view->mutableSel() = expanded;
}

void expandSelectionToBrackets(const ViewPtr& view)
{
    expandEach(view, u"expandSelectionTo brackets", [&](const SelectionRegion& region) {
        const SelectionRegion grown = bracketRegion(view, region);
        return grown == SelectionRegion(0, 0) ? region : grown;
    });
}

void expandSelectionToScope(const ViewPtr& view)
{
    expandEach(view, u"expandSelectionTo scope",
               [&](const SelectionRegion& region) { return scopeRegion(view, region); });
}

void selectAll(const ViewPtr& view)
{
    replaceSelection(view, u"selectAll", SelectionSet(SelectionRegion(0, view->buffer()->size())));
}

void invertSelection(const ViewPtr& view)
{
    SelectionSet gaps;
    int64_t previous = 0;
    for (const SelectionRegion& region : view->sel()) {
        if (region.begin() != previous)
            gaps.add(SelectionRegion(previous, region.begin()));
        previous = region.end();
    }
    const int64_t size = view->buffer()->size();
    if (previous != size)
        gaps.add(SelectionRegion(previous, size));
    if (gaps.empty())
        gaps.add(SelectionRegion(0));
    replaceSelection(view, u"invertSelection", gaps);
}

void splitSelection(const ViewPtr& view)
{
    SelectionSet carets;
    carets.reserve(2 * view->sel().size());
    for (const SelectionRegion& region : view->sel()) {
        if (region.empty()) {
            carets.add(region);
        } else {
            carets.add(SelectionRegion(region.begin()));
            carets.add(SelectionRegion(region.end()));
        }
    }
    replaceSelection(view, u"splitSelection", carets);
}

void splitSelectionIntoLines(const ViewPtr& view)
{
    SelectionSet pieces;
    splitAllByNewlines(view->sel(), view, pieces);
    replaceSelection(view, u"splitSelectionIntoLines", pieces);
}

void singleSelection(const ViewPtr& view)
{
    if (view->sel().empty())
        return;
    ScopedUndoGroup group(u"singleSelection", view->sharedBuffer(), true, false);
    const SelectionRegion first = view->sel()[0];
    view->mutableSel() = SelectionSet(first);
    showPoint(*view, first.a, true);
    showPoint(*view, first.b, true);
}

SelectionRegion bracketRegion(const ViewPtr& view, const SelectionRegion& region)
{
    TextBuffer& buffer = *view->buffer();
    const int64_t size = buffer.size();
    const int64_t begin = std::clamp<int64_t>(region.begin(), 0, size);
    const int64_t end = std::clamp<int64_t>(region.end(), 0, size);
    if (begin > 0 && isOpening(buffer, buffer.charAt(begin - 1)) && isClosing(buffer, buffer.charAt(end)))
        return SelectionRegion(begin - 1, std::min(end + 1, size));
    if (begin == end)
        return inside(buffer.findMatchingBracket(begin, kSearchLimit));
    if (isOpening(buffer, buffer.charAt(begin)) && end > 0 && isClosing(buffer, buffer.charAt(end - 1)))
        return buffer.findMatchingBracket(begin > 0 ? begin - 1 : end + 1, kSearchLimit);
    // A pair that is not found takes no part: covering its (0, 0) would
    // reach back to the start of the text. The inside must still hold the
    // region, or there is nothing to grow to.
    const SelectionRegion atBegin = buffer.findMatchingBracket(begin, kSearchLimit);
    const SelectionRegion atEnd = buffer.findMatchingBracket(end, kSearchLimit);
    const SelectionRegion around =
        atBegin.empty() ? atEnd : (atEnd.empty() ? atBegin : atBegin.cover(atEnd));
    const SelectionRegion grown = inside(around);
    if (grown.empty() || grown.begin() > begin || grown.end() < end)
        return SelectionRegion(0, 0);
    return grown;
}

SelectionRegion scopeRegion(const ViewPtr& view, const SelectionRegion& region)
{
    TextBuffer& buffer = *view->buffer();
    const SelectionRegion scope =
        region.empty() ? buffer.extractScope(region.a, true)
                       : buffer.extractScope(region.a, false).cover(buffer.extractScope(region.b, true));
    const SelectionRegion brackets = bracketRegion(view, region);
    return scope.size() < brackets.size() || brackets.empty() ? scope : brackets;
}
