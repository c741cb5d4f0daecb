// Everything about a view that edits of the text must keep in step: the
// selection with its history, the snippet fields being filled in (tracked
// points, field groups and the regions of every open field), and the named
// region sets that plug-ins and the find code highlight. Kept apart from the
// view so that cloned views can share one state and show one selection.
//
// Made only by TextBuffer::createViewState; the buffer lists it until it
// dies and moves it after every edit. Shared through slate::SP<ViewState>.
// Main thread only.
#pragma once

#include <cstdint>

#include "ui/reference_counted.h"
#include "ui/text/selection_history.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/text/tracked_points.h"
#include "ui/text/undo.h"

class ViewState : public slate::ReferenceCounted<ViewState> {
public:
    // Use TextBuffer::createViewState, which lists the state in the buffer.
    explicit ViewState(slate::SP<TextBuffer> buffer);
    ~ViewState();
    ViewState(const ViewState&) = delete;
    ViewState& operator=(const ViewState&) = delete;

    TextBuffer* buffer() const { return m_buffer.get(); }
    // Tells this state from any made before or after it in the process,
    // whatever address it had.
    uint64_t serial() const { return m_serial; }

    // Read access. The current selection is the history's current entry.
    const SelectionSet& sel() const { return m_selectionHistory.current(); }
    const SelectionHistory& selectionHistory() const { return m_selectionHistory; }
    const TrackedPoints& trackedPoints() const { return m_trackedPoints; }
    const TrackedRegions& trackedRegions() const { return m_trackedRegions; }
    const SelectionSet& fieldRegions() const { return m_fieldRegions; }
    const NamedRegionMap& namedRegions() const { return m_namedRegions; }

    // Access for changing. Each keeps the buffer's next undo group from
    // merging into the last one.
    SelectionSet& mutableSel();
    SelectionHistory& mutableSelectionHistory();
    TrackedPoints& mutableTrackedPoints();
    TrackedRegions& mutableTrackedRegions();
    NamedRegionMap& mutableNamedRegions();
    // The named region set under `name` (interned with
    // TextBuffer::internRegionName), made empty on first use.
    NamedRegions& namedRegions(const ustring* name);

    // Adds the regions of newly inserted snippet fields.
    void addFieldRegions(const SelectionSet& regions);

    // Follows a change of the text: `delta` > 0 inserted that many units at
    // `position`, < 0 erased (position, position - delta). `stayBefore`
    // keeps carets and points at an insertion point in front of the new text.
    // Called by the buffer only.
    void adjustForChange(int64_t position, int64_t delta, bool stayBefore);
    // Ends snippet mode when some caret left every open field. Called when
    // an outermost undo group closes and after a command scrolled a point
    // into view.
    void checkFieldExit();
    // Leaves snippet mode: no open fields, one empty field group, and the
    // buffer's mirrors stop updating.
    void clearFields();
    // Selects the regions of the current field group and makes its mirrors
    // the buffer's dependent regions.
    void selectField();

    // Puts back what an undo snapshot copied. Called by the buffer's undo.
    void restore(const ViewSnapshot& snapshot);

private:
    const uint64_t m_serial;
    slate::SP<TextBuffer> m_buffer; // never null
    SelectionHistory m_selectionHistory;
    TrackedPoints m_trackedPoints;
    TrackedRegions m_trackedRegions;
    // The regions of every snippet field still open, to notice the caret
    // leaving them. Not part of undo snapshots.
    SelectionSet m_fieldRegions;
    NamedRegionMap m_namedRegions;
};
