// Showing works on layout points: the renderer knows where a position is
// drawn (wraps, tabs, paddings), so every decision converts the position
// first and compares it with the visible area in layout units. The area
// leaves out the bottom line and, without wrapping, three widths of 'M' at
// the right, so that a caret shown at an edge is never drawn clipped.
//
// Bookmark and misspelled-word navigation share one rule for what "next"
// and "previous" mean relative to the last selection's anchor. Bookmarks are
// a set at hand; misspellings are asked of the buffer, which lexes text not
// lexed yet only as far as the answer needs, instead of being collected
// over the whole text on every jump.
#include "ui/text/text_buffer_showing.h"

#include <algorithm>
#include <cmath>

#include "canvas/unicode_font.h"
#include "ui/string_utils.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer_view.h"

namespace {

// The visible area for showing, in layout units; empty edges collapse.
struct VisibleArea {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    bool contains(const LayoutPoint& point) const
    {
        return left <= point.x && point.x < right && top <= point.y && point.y < bottom;
    }
};

VisibleArea visibleArea(const TextBufferView& view)
{
    const LayoutSettings& layout = view.settings().layout;
    double width = view.viewportWidth();
    if (!layout.wordWrap && layout.font)
        width -= 3.0 * layout.font->advance(u'M');
    VisibleArea area;
    area.left = view.translationX();
    area.top = view.translationY();
    area.right = std::max(area.left, area.left + width * view.zoom());
    area.bottom =
        std::max(area.top, area.top + (view.viewportHeight() - view.lineHeight()) * view.zoom());
    return area;
}

int64_t clampToText(TextBufferView& view, int64_t position)
{
    return std::clamp<int64_t>(position, 0, view.buffer()->size());
}

LayoutPoint layoutPointOf(TextBufferView& view, int64_t position)
{
    return view.textToLayout(clampToText(view, position));
}

// The anchor of the last selection, or 0 without selections.
int64_t navigationOrigin(const TextBufferView& view)
{
    const SelectionSet& selection = view.sel();
    return selection.empty() ? 0 : selection[selection.size() - 1].a;
}

void selectAndShow(TextBufferView& view, const SelectionRegion& region)
{
    SelectionSet& selection = view.mutableSel();
    selection.clear();
    selection.add(region);
    showRegion(view, region, true);
}

// The region of `set` after `origin` (begin past it) or, going back, the
// last one wholly before it; wraps to the first or last. False for an empty
// set.
bool neighbourIn(const SelectionSet& set, int64_t origin, bool forward, SelectionRegion& out)
{
    if (set.empty())
        return false;
    if (forward) {
        auto found = std::find_if(set.begin(), set.end(), [origin](const SelectionRegion& region) {
            return region.begin() > origin;
        });
        out = found != set.end() ? *found : set[0];
        return true;
    }
    auto found = std::find_if(set.regions().rbegin(), set.regions().rend(),
                              [origin](const SelectionRegion& region) { return region.end() < origin; });
    out = found != set.regions().rend() ? *found : set[set.size() - 1];
    return true;
}

void stepBookmark(TextBufferView& view, bool forward)
{
    SelectionRegion target;
    if (neighbourIn(view.buffer()->m_bookmarks, navigationOrigin(view), forward, target))
        selectAndShow(view, target);
}

void stepMisspelledWord(TextBufferView& view, bool forward)
{
    TextBuffer& buffer = *view.buffer();
    const int64_t origin = navigationOrigin(view);
    SelectionRegion target = forward ? buffer.nextMisspelledWord(origin)
                                     : buffer.previousMisspelledWord(origin);
    if (target.a == -1)
        target = forward ? buffer.nextMisspelledWord(-1)
                         : buffer.previousMisspelledWord(buffer.size() + 1);
    if (target.a != -1)
        selectAndShow(view, target);
}

// One history step of the buffer, when `can` allows it, then a look at the
// selection it restored.
void stepHistoryAndShow(TextBufferView& view, bool (TextBuffer::*can)() const,
                        void (TextBuffer::*step)())
{
    TextBuffer& buffer = *view.buffer();
    if (!(buffer.*can)())
        return;
    (buffer.*step)();
    showSelection(view, true);
}

} // namespace

void showPoint(TextBufferView& view, int64_t position, bool margin)
{
    const LayoutPoint point = layoutPointOf(view, position);
    const VisibleArea area = visibleArea(view);
    if (!area.contains(point)) {
        double dx = 0.0;
        if (point.x < area.left)
            dx = point.x - area.left;
        else if (point.x > area.right)
            dx = point.x - area.right;
        const double keep = margin ? view.lineHeight() * kShowMarginLines : 0.0;
        double dy = 0.0;
        if (point.y < area.top)
            dy = point.y - area.top - keep;
        else if (point.y > area.bottom)
            dy = keep + (point.y - area.bottom);
        const LayoutPoint largest = view.maxTranslation();
        view.setTranslation(std::clamp(view.translationX() + dx, 0.0, std::max(0.0, largest.x)),
                            std::clamp(view.translationY() + dy, 0.0, std::max(0.0, largest.y)));
    }
    view.viewState().checkFieldExit();
}

void showRegion(TextBufferView& view, const SelectionRegion& region, bool margin)
{
    showPoint(view, region.a, margin);
    showPoint(view, region.b, margin);
}

void showRegions(TextBufferView& view, const SelectionSet& regions, bool margin)
{
    // Carets lie in text order and the layout never goes up the page, so
    // their tops grow with their index: only the carets whose tops fall
    // inside the area's rows can be visible, and a caret above (below) the
    // area is at least its height difference away from either corner. That
    // lets a search for the nearest caret stop early, which matters for a
    // set of a million matches, each of which costs a layout lookup.
    if (regions.empty())
        return;
    const VisibleArea area = visibleArea(view);
    const auto caretPoint = [&](size_t i) { return layoutPointOf(view, regions[i].b); };
    const auto firstAtOrBelow = [&](double y) {
        size_t low = 0, high = regions.size();
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (caretPoint(middle).y < y)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    const size_t bandBegin = firstAtOrBelow(area.top);
    const size_t bandEnd = std::max(bandBegin, firstAtOrBelow(area.bottom));
    const auto distanceOf = [&](const LayoutPoint& point) {
        return std::min(std::hypot(point.x - area.left, point.y - area.top),
                        std::hypot(point.x - area.right, point.y - area.bottom));
    };
    // The nearest caret, the first of equals.
    size_t nearest = regions.size();
    double nearestDistance = HUGE_VAL;
    for (size_t i = bandBegin; i < bandEnd; ++i) {
        const LayoutPoint point = caretPoint(i);
        if (area.contains(point))
            return;
        const double distance = distanceOf(point);
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    // Earlier carets win ties, so going up they replace on equal distance.
    for (size_t i = bandBegin; i-- > 0;) {
        const LayoutPoint point = caretPoint(i);
        if (area.top - point.y > nearestDistance)
            break;
        const double distance = distanceOf(point);
        if (distance <= nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    for (size_t i = bandEnd; i < regions.size(); ++i) {
        const LayoutPoint point = caretPoint(i);
        if (point.y - area.bottom >= nearestDistance)
            break;
        const double distance = distanceOf(point);
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    showPoint(view, regions[nearest].b, margin);
}

void showSelection(TextBufferView& view, bool margin)
{
    const SelectionSet selection = view.sel();
    showRegions(view, selection, margin);
}

void gotoLine(TextBufferView& view, int32_t row)
{
    ScopedUndoGroup group(u"gotoLine", view.sharedBuffer(), false, false);
    const int64_t start = view.buffer()->textPoint(std::max(row, 0), 0);
    selectAndShow(view, SelectionRegion(start));
}

void undoAndShow(TextBufferView& view)
{
    stepHistoryAndShow(view, &TextBuffer::canUndo, &TextBuffer::undo);
}

void redoAndShow(TextBufferView& view)
{
    stepHistoryAndShow(view, &TextBuffer::canRedo, &TextBuffer::redo);
}

void softUndoAndShow(TextBufferView& view)
{
    stepHistoryAndShow(view, &TextBuffer::canSoftUndo, &TextBuffer::softUndo);
}

void softRedoAndShow(TextBufferView& view)
{
    stepHistoryAndShow(view, &TextBuffer::canSoftRedo, &TextBuffer::softRedo);
}

void toggleBookmark(TextBufferView& view)
{
    ScopedUndoGroup group(u"toggleBookmark", view.sharedBuffer(), true, false);
    SelectionSet& bookmarks = view.buffer()->m_bookmarks;
    const SelectionSet selection = view.sel();
    for (const SelectionRegion& region : selection) {
        bool removed = false;
        for (auto it = bookmarks.begin(); it != bookmarks.end();) {
            if (it->touches(region)) {
                it = bookmarks.erase(it);
                removed = true;
            } else {
                ++it;
            }
        }
        if (!removed)
            bookmarks.add(region);
    }
}

void clearBookmarks(TextBufferView& view)
{
    ScopedUndoGroup group(u"clearBookmarks", view.sharedBuffer(), true, false);
    view.buffer()->m_bookmarks.clear();
}

void nextBookmark(TextBufferView& view)
{
    ScopedUndoGroup group(u"nextBookmark", view.sharedBuffer(), true, false);
    stepBookmark(view, true);
}

void prevBookmark(TextBufferView& view)
{
    ScopedUndoGroup group(u"prevBookmark", view.sharedBuffer(), true, false);
    stepBookmark(view, false);
}

void allBookmarks(TextBufferView& view)
{
    ScopedUndoGroup group(u"allBookmarks", view.sharedBuffer(), true, false);
    const SelectionSet bookmarks = view.buffer()->m_bookmarks;
    // Without bookmarks the selection would end up empty, leaving no caret.
    if (bookmarks.empty())
        return;
    stepBookmark(view, true);
    SelectionSet& selection = view.mutableSel();
    selection.clear();
    selection.addAll(bookmarks);
}

void gotoBookmark(TextBufferView& view, int32_t index)
{
    if (bookmarkIndexValid(view, index))
        selectAndShow(view, view.buffer()->m_bookmarks[static_cast<size_t>(index)]);
}

ustring bookmarkLabel(TextBufferView& view, int32_t index)
{
    if (!bookmarkIndexValid(view, index))
        return ustring();
    int32_t row = 0;
    int32_t column = 0;
    view.buffer()->rowcol(view.buffer()->m_bookmarks[static_cast<size_t>(index)].begin(), row, column);
    return u"Line " + intToString(row + 1);
}

bool bookmarkIndexValid(TextBufferView& view, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < view.buffer()->m_bookmarks.size();
}

void nextMisspelledWord(TextBufferView& view)
{
    ScopedUndoGroup group(u"nextMisspelledWord", view.sharedBuffer(), true, false);
    stepMisspelledWord(view, true);
}

void prevMisspelledWord(TextBufferView& view)
{
    ScopedUndoGroup group(u"prevMisspelledWord", view.sharedBuffer(), true, false);
    stepMisspelledWord(view, false);
}

bool hasMisspelledWords(TextBufferView& view)
{
    return view.buffer()->nextMisspelledWord(-1).a != -1;
}
