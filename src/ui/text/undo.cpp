// Undo groups and stacks: the snapshot a group takes of its buffer, how two
// commands merge into one group, and the stacks' bookkeeping of modifying
// groups.
#include "ui/text/undo.h"

#include "ui/command_line.h"
#include "ui/log.h"
#include "ui/parse_strings.h"
#include "ui/string_utils.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"

namespace {

// The command name of a command line: everything before the first blank.
slate::usubstring commandName(const slate::usubstring& text)
{
    const uchar* p = text.begin;
    while (p != text.end && *p != u' ' && *p != u'\t')
        ++p;
    return slate::usubstring(text.begin, p);
}

bool sameNamedRegions(const NamedRegionMap& x, const NamedRegionMap& y)
{
    if (x.size() != y.size())
        return false;
    for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j) {
        if (i->first != j->first || i->second.regions != j->second.regions
            || i->second.scope != j->second.scope || i->second.flags != j->second.flags)
            return false;
    }
    return true;
}

} // namespace

bool isInsertCommand(const slate::usubstring& name)
{
    return name == slate::usubstring(u"insertCharacters")
        || name == slate::usubstring(u"insertAndDecodeCharacters")
        || name == slate::usubstring(u"overwriteAndDecodeCharacters");
}

ViewSnapshot::ViewSnapshot(const ViewState& state)
    : viewState(&state),
      viewStateSerial(state.serial()),
      selectionHistory(state.selectionHistory()),
      trackedPoints(state.trackedPoints()),
      trackedRegions(state.trackedRegions()),
      namedRegions(state.namedRegions()),
      selectionChangeCount(state.sel().changeCount())
{
}

bool ViewSnapshot::operator==(const ViewSnapshot& other) const
{
    return viewState == other.viewState && viewStateSerial == other.viewStateSerial
        && selectionHistory == other.selectionHistory
        && trackedPoints == other.trackedPoints && trackedRegions == other.trackedRegions
        && sameNamedRegions(namedRegions, other.namedRegions);
}

UndoActionGroup::UndoActionGroup(const TextBuffer& buffer, const ustring* text)
    : bookmarks(buffer.m_bookmarks),
      dependentRegions(buffer.dependentRegions()),
      commandText(text)
{
    views.reserve(buffer.viewStates().size());
    for (const ViewState* state : buffer.viewStates())
        views.emplace_back(*state);
}

bool UndoActionGroup::sameStateAs(const TextBuffer& buffer) const
{
    if (bookmarks != buffer.m_bookmarks || dependentRegions != buffer.dependentRegions())
        return false;
    const std::vector<ViewState*>& states = buffer.viewStates();
    if (views.size() != states.size())
        return false;
    for (size_t i = 0; i < views.size(); ++i) {
        const ViewSnapshot& view = views[i];
        const ViewState& state = *states[i];
        if (view.viewState != &state || view.viewStateSerial != state.serial()
            || view.selectionHistory != state.selectionHistory()
            || view.trackedPoints != state.trackedPoints()
            || view.trackedRegions != state.trackedRegions()
            || !sameNamedRegions(view.namedRegions, state.namedRegions()))
            return false;
    }
    return true;
}

bool UndoActionGroup::tryMerge(const slate::usubstring& text, int32_t additionalRepeatCount,
                               CommandTextSet& commandTexts)
{
    const slate::usubstring own(*commandText);
    if (isInsertCommand(commandName(own)) && isInsertCommand(commandName(text))) {
        VASSERT(repeatCount == 1);
        VASSERT(additionalRepeatCount == 1);
        std::vector<ustring> ownWords;
        std::vector<ustring> newWords;
        parseStrings(own, ownWords);
        parseStrings(text, newWords);
        if (ownWords.size() != 2 || newWords.size() != 2 || ownWords[0] != newWords[0])
            return false;
        const ustring merged = makeCommandLine(ownWords[0], ownWords[1] + newWords[1]);
        commandText = &*commandTexts.insert(merged).first;
        return true;
    }
    if (!own.empty() && own == text) {
        repeatCount += additionalRepeatCount;
        return true;
    }
    return false;
}

void UndoStack::push(std::unique_ptr<UndoActionGroup> group)
{
    if (group->isModifying())
        ++m_numModifyingGroups;
    m_stack.push_back(std::move(group));
}

std::unique_ptr<UndoActionGroup> UndoStack::pop()
{
    VASSERT(!m_stack.empty());
    std::unique_ptr<UndoActionGroup> group = std::move(m_stack.back());
    m_stack.pop_back();
    if (group->isModifying())
        --m_numModifyingGroups;
    return group;
}

std::unique_ptr<UndoActionGroup> UndoStack::erase(size_t index)
{
    std::unique_ptr<UndoActionGroup> group = std::move(m_stack[index]);
    m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(index));
    if (group->isModifying())
        --m_numModifyingGroups;
    return group;
}

void UndoStack::appendFrom(UndoStack& other)
{
    for (std::unique_ptr<UndoActionGroup>& group : other.m_stack)
        m_stack.push_back(std::move(group));
    m_numModifyingGroups += other.m_numModifyingGroups;
    other.m_stack.clear();
    other.m_numModifyingGroups = 0;
}

void UndoStack::appendActions(size_t index, std::vector<UndoAction>&& actions)
{
    UndoActionGroup& group = *m_stack[index];
    const bool wasModifying = group.isModifying();
    group.actions.insert(group.actions.end(), std::make_move_iterator(actions.begin()),
                         std::make_move_iterator(actions.end()));
    if (!wasModifying && group.isModifying())
        ++m_numModifyingGroups;
}

void UndoStack::clear()
{
    m_stack.clear();
    m_numModifyingGroups = 0;
}

bool UndoStack::empty() const
{
    VASSERT(!m_stack.empty() || m_numModifyingGroups == 0);
    return m_stack.empty();
}

int32_t UndoStack::modifyingCount() const
{
    VASSERT(!m_stack.empty() || m_numModifyingGroups == 0);
    return m_numModifyingGroups;
}

bool UndoStack::hasModifying() const
{
    VASSERT(!m_stack.empty() || m_numModifyingGroups == 0);
    return m_numModifyingGroups > 0;
}
