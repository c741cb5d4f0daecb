// The selection history is a fixed ring rather than a growing list because
// it is copied into every undo group of every view: sixteen sets, most of
// them empty, copy cheaply, and the oldest mark simply falls off the ring.
// One slot stays free so that begin == end never has to mean "full".
#include "ui/text/selection_history.h"

#include <utility>

SelectionHistory::SelectionHistory()
{
    m_slots[0].add(SelectionRegion(0, 0));
}

void SelectionHistory::next()
{
    if (hasNext())
        m_current = following(m_current);
}

void SelectionHistory::previous()
{
    if (m_current == m_begin)
        return;
    if (following(m_current) == m_end && m_slots[m_current] == m_slots[preceding(m_current)]) {
        m_slots[m_current].clear();
        m_current = preceding(m_current);
        m_end = preceding(m_end);
    }
    if (m_current != m_begin)
        m_current = preceding(m_current);
}

void SelectionHistory::push()
{
    if (m_current != m_begin && m_slots[m_current] == m_slots[preceding(m_current)])
        return;
    const uint32_t oldEnd = m_end;
    const uint32_t copy = following(m_current);
    m_slots[copy] = m_slots[m_current];
    m_current = copy;
    // The entries `next` could have reached are gone. When the copy went
    // into the old end slot there are none.
    if (m_current != oldEnd)
        for (uint32_t slot = following(m_current); slot != oldEnd; slot = following(slot))
            m_slots[slot].clear();
    m_end = following(m_current);
    if (m_end == m_begin) {
        m_slots[m_begin].clear();
        m_begin = following(m_begin);
    }
}

void SelectionHistory::merge()
{
    if (m_current == m_begin)
        return;
    const uint32_t before = preceding(m_current);
    for (const SelectionRegion& region : m_slots[before])
        m_slots[m_current].add(region);
    m_slots[before].clear();
    for (uint32_t slot = m_current; slot != m_end; slot = following(slot))
        std::swap(m_slots[slot], m_slots[preceding(slot)]);
    m_current = preceding(m_current);
    m_end = preceding(m_end);
}

void SelectionHistory::conflate()
{
    if (m_current == m_begin)
        return;
    const SelectionSet& earlier = m_slots[preceding(m_current)];
    SelectionSet& selection = m_slots[m_current];
    // Built from a cleared copy of the current entry, so that its change
    // counter always moves on and observers see the change.
    SelectionSet joined = selection;
    joined.clear();
    for (size_t i = 0; i < selection.size(); ++i)
        joined.add(i < earlier.size() ? selection[i].cover(earlier[i]) : selection[i]);
    std::swap(joined, selection);
}

void SelectionHistory::clear()
{
    for (uint32_t slot = m_begin; slot != m_end; slot = following(slot))
        if (slot != m_current)
            m_slots[slot].clear();
    m_begin = m_current;
    m_end = following(m_current);
}

void SelectionHistory::adjustForInsert(int64_t pos, int64_t length, bool stayBefore)
{
    for (uint32_t slot = m_begin; slot != m_end; slot = following(slot))
        m_slots[slot].adjustForInsert(pos, length, stayBefore, true);
}

void SelectionHistory::adjustForErase(const SelectionRegion& region)
{
    for (uint32_t slot = m_begin; slot != m_end; slot = following(slot))
        m_slots[slot].adjustForErase(region, true);
}

bool SelectionHistory::operator==(const SelectionHistory& other) const
{
    if (m_begin != other.m_begin || m_end != other.m_end || m_current != other.m_current)
        return false;
    for (uint32_t slot = m_begin; slot != m_end; slot = following(slot))
        if (m_slots[slot] != other.m_slots[slot])
            return false;
    return true;
}
