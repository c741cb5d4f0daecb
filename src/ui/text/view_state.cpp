// A view's selection state and the snippet fields it is filling in, kept in
// step with the buffer's edits. Every access that changes the selection,
// history, points or field groups clears the buffer's undo-merge flag first:
// a change made between two commands must keep the second from merging into
// the first group (changes made inside a command are caught by the selection
// change counters instead).
#include "ui/text/view_state.h"

namespace {

uint64_t s_nextSerial = 1; // main thread only, as every view state

} // namespace

ViewState::ViewState(slate::SP<TextBuffer> buffer)
    : m_serial(s_nextSerial++), m_buffer(std::move(buffer))
{
}

ViewState::~ViewState()
{
    if (m_buffer)
        m_buffer->removeViewState(this);
}

SelectionSet& ViewState::mutableSel()
{
    m_buffer->breakUndoMerge();
    return m_selectionHistory.current();
}

SelectionHistory& ViewState::mutableSelectionHistory()
{
    m_buffer->breakUndoMerge();
    return m_selectionHistory;
}

TrackedPoints& ViewState::mutableTrackedPoints()
{
    m_buffer->breakUndoMerge();
    return m_trackedPoints;
}

TrackedRegions& ViewState::mutableTrackedRegions()
{
    m_buffer->breakUndoMerge();
    return m_trackedRegions;
}

NamedRegionMap& ViewState::mutableNamedRegions()
{
    return m_namedRegions;
}

NamedRegions& ViewState::namedRegions(const ustring* name)
{
    return m_namedRegions[name];
}

void ViewState::addFieldRegions(const SelectionSet& regions)
{
    m_fieldRegions.addAll(regions);
}

void ViewState::adjustForChange(int64_t position, int64_t delta, bool stayBefore)
{
    if (delta == 0)
        return;
    if (delta > 0) {
        m_selectionHistory.adjustForInsert(position, delta, stayBefore);
        // Fields grow with text typed at either edge, as mirror sources do.
        for (size_t i = 0; i < m_fieldRegions.size(); ++i) {
            SelectionRegion region = m_fieldRegions[i];
            growSourceRegion(region, position, delta);
            if (region != m_fieldRegions[i])
                m_fieldRegions.set(i, region);
        }
    } else {
        const SelectionRegion erased(position, position - delta);
        m_selectionHistory.adjustForErase(erased);
        m_fieldRegions.adjustForErase(erased, true);
    }
    m_trackedPoints.adjust(position, delta, stayBefore);
    for (auto& named : m_namedRegions) {
        if (delta > 0)
            named.second.regions.adjustForInsert(position, delta, false, false);
        else
            named.second.regions.adjustForErase(SelectionRegion(position, position - delta), false);
    }
}

void ViewState::checkFieldExit()
{
    const SelectionSet& selection = sel();
    if (m_fieldRegions.empty() || selection.empty())
        return;
    // Each caret usually sits in the field after the previous caret's, so
    // the search for a touching field starts where the last one was found:
    // a snippet inserted at every caret is checked in about linear time.
    bool insideFields = true;
    const size_t fieldCount = m_fieldRegions.size();
    size_t start = 0;
    for (const SelectionRegion& region : selection) {
        bool touchesField = false;
        for (size_t k = 0; k < fieldCount; ++k) {
            const size_t index = start + k < fieldCount ? start + k : start + k - fieldCount;
            if (region.touches(m_fieldRegions[index])) {
                touchesField = true;
                start = index;
                break;
            }
        }
        if (!touchesField) {
            insideFields = false;
            break;
        }
    }
    if (insideFields)
        return;

    m_selectionHistory.clear();
    clearFields();
}

void ViewState::clearFields()
{
    m_buffer->clearDependentRegions();
    m_buffer->breakUndoMerge();
    m_fieldRegions.clear();
    m_trackedRegions.clear();
    m_trackedPoints.clear();
}

void ViewState::selectField()
{
    const TrackedRegionGroup& group = m_trackedRegions.currentGroup();
    SelectionSet field = m_trackedPoints.regionsOf(group.fieldPairs);
    m_buffer->breakUndoMerge();
    m_selectionHistory.current() = field;

    m_buffer->clearDependentRegions();
    for (const TrackedRegion& mirror : group.mirrors) {
        const SelectionRegion source(m_trackedPoints.find(mirror.source.first).pos,
                                     m_trackedPoints.find(mirror.source.second).pos);
        const SelectionRegion destination(m_trackedPoints.find(mirror.destination.first).pos,
                                          m_trackedPoints.find(mirror.destination.second).pos);
        // A destination whose points come first is text typed at the field's
        // own position: it must not move ahead of the field.
        const bool keepEmptyDestination = m_trackedPoints.indexOf(mirror.destination.first)
            < m_trackedPoints.indexOf(mirror.source.first);
        m_buffer->addDependentRegion(source, destination, mirror.transform, keepEmptyDestination);
    }
}

void ViewState::restore(const ViewSnapshot& snapshot)
{
    mutableSelectionHistory() = snapshot.selectionHistory;
    mutableTrackedPoints() = snapshot.trackedPoints;
    mutableTrackedRegions() = snapshot.trackedRegions;
    mutableNamedRegions() = snapshot.namedRegions;
}
