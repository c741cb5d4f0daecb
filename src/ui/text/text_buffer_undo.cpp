// The undo history of a text buffer. Commands run inside groups; the
// outermost group is stored when it closes, on the undo stack when it changed
// the text or when nothing can be redone, else on the pending stack, which
// keeps selection-only groups made after an undo from throwing the redo
// history away. Undoing a group replays its actions backwards inside a new
// group that lands on the other stack, so undo and redo are the same
// operation in opposite directions, and then puts back the state copied when
// the group was made.
//
// Typing merges: a group that allows merging is reopened by the next command
// when no selection changed in between (the views' selection counters match
// the ones copied in the group) and the two commands can merge (typing
// commands join their arguments, other equal commands count repeats).
#include "ui/text/text_buffer.h"

#include "ui/log.h"
#include "ui/parse_strings.h"
#include "ui/string_utils.h"
#include "ui/text/view_state.h"

void TextBuffer::beginUndoGroup(const slate::usubstring& commandText)
{
    VASSERT(!m_constructionUndoActionGroup || m_constructionDepth);
    VASSERT(m_constructionDepth >= 0);
    ++m_constructionDepth;
    if (m_constructionUndoActionGroup)
        return;

    UndoStack& candidates = m_pendingStack.empty() ? m_undoStack : m_pendingStack;
    if (m_mergeAllowed && !candidates.empty()) {
        // A selection set since the group was made breaks the merge, even
        // when it was set inside a command (which does not clear the flag).
        const std::vector<ViewSnapshot>& views = candidates.top().views;
        if (views.size() != m_viewStates.size()) {
            m_mergeAllowed = false;
        } else {
            for (size_t i = 0; i < views.size(); ++i) {
                if (views[i].selectionChangeCount != m_viewStates[i]->sel().changeCount()) {
                    m_mergeAllowed = false;
                    break;
                }
            }
        }
    }
    if (m_mergeAllowed && !candidates.empty()
        && candidates.top().tryMerge(commandText, 1, m_commandTexts)) {
        m_constructionUndoActionGroup = candidates.pop();
        return;
    }
    m_constructionUndoActionGroup =
        std::make_unique<UndoActionGroup>(*this, internCommandText(commandText));
}

void TextBuffer::endUndoGroup(bool allowMerge, bool forceKeep)
{
    VASSERT(m_constructionDepth > 0);
    VASSERT(m_constructionUndoActionGroup != nullptr);
    if (--m_constructionDepth != 0)
        return;

    const bool modified = m_constructionUndoActionGroup->isModifying();
    const bool changed = modified || !m_constructionUndoActionGroup->sameStateAs(*this);
    // The saved text lay in the redo history this group throws away.
    if (modified && m_undoStack.modifyingCount() < m_savedMarker)
        m_savedMarker = -1;

    if (changed || forceKeep) {
        for (size_t i = 0; i < m_viewStates.size(); ++i)
            m_viewStates[i]->checkFieldExit();
        updateDependentText();
        if (!m_constructionUndoActionGroup->isModifying() && !m_redoStack.empty()) {
            m_pendingStack.push(std::move(m_constructionUndoActionGroup));
        } else {
            m_undoStack.appendFrom(m_pendingStack);
            m_redoStack.clear();
            m_undoStack.push(std::move(m_constructionUndoActionGroup));
        }
        m_mergeAllowed = allowMerge;
    } else {
        m_mergeAllowed = false;
    }
    m_constructionUndoActionGroup.reset();
    m_historyReplayed = false;

    if (modified)
        callListeners(m_onModified);
    if (changed)
        callListeners(m_onSelectionModified);
    applyDeferredRevert();
}

void TextBuffer::moveGroup(UndoStack& source, UndoStack& target)
{
    if (isReadOnly())
        return;
    VASSERT(m_constructionDepth == 0);
    VASSERT(m_constructionUndoActionGroup == nullptr);
    if (source.empty())
        return;

    m_constructionDepth = 1;
    m_constructionUndoActionGroup =
        std::make_unique<UndoActionGroup>(*this, source.top().commandText);
    applyInverse(source.top());
    target.push(std::move(m_constructionUndoActionGroup));
    source.pop();
    m_constructionDepth = 0;
    m_mergeAllowed = false;
}

void TextBuffer::applyInverse(const UndoActionGroup& group)
{
    VASSERT(m_constructionUndoActionGroup);
    VASSERT(m_constructionUndoActionGroup->actions.empty());
    if (group.isModifying())
        m_historyReplayed = true;

    for (auto it = group.actions.rbegin(); it != group.actions.rend(); ++it) {
        // An empty insertion is undone by another one, so that the group
        // stays modifying both ways and redo finds it again.
        if (it->kind == UndoAction::Kind::Insertion && it->region.empty())
            insertCharacters(it->region.a, nullptr, nullptr, true);
        else if (it->kind == UndoAction::Kind::Insertion)
            eraseCharacters(it->region);
        else
            insertCharacters(it->region.begin(), it->text.text(), true);
    }

    m_bookmarks = group.bookmarks;
    m_dependentRegions = group.dependentRegions;
    for (const ViewSnapshot& snapshot : group.views) {
        for (ViewState* state : m_viewStates) {
            if (state == snapshot.viewState && state->serial() == snapshot.viewStateSerial) {
                state->restore(snapshot);
                break;
            }
        }
    }
}

void TextBuffer::resetMarkersAboveUndoStack()
{
    const int32_t size = static_cast<int32_t>(m_undoStack.size());
    if (m_macroMarker > size)
        m_macroMarker = -1;
    if (m_glueMarker > size)
        m_glueMarker = -1;
}

void TextBuffer::softUndo()
{
    if (isReadOnly())
        return;
    if (!m_pendingStack.empty()) {
        m_undoStack.appendFrom(m_pendingStack);
        m_redoStack.clear();
    }
    moveGroup(m_undoStack, m_redoStack);
    resetMarkersAboveUndoStack();
    callListeners(m_onSelectionModified);
}

void TextBuffer::softRedo()
{
    if (isReadOnly())
        return;
    m_pendingStack.clear();
    moveGroup(m_redoStack, m_undoStack);
    callListeners(m_onSelectionModified);
}

void TextBuffer::undo()
{
    if (isReadOnly())
        return;
    m_pendingStack.clear();
    if (!m_undoStack.hasModifying())
        return;
    bool passedModifying = false;
    while (!passedModifying && !m_undoStack.empty()) {
        passedModifying = m_undoStack.top().isModifying();
        softUndo();
    }
    callListeners(m_onModified);
}

void TextBuffer::redo()
{
    if (isReadOnly())
        return;
    m_pendingStack.clear();
    if (!m_redoStack.hasModifying())
        return;
    bool passedModifying = false;
    while (!passedModifying && !m_redoStack.empty()) {
        passedModifying = m_redoStack.top().isModifying();
        softRedo();
    }
    callListeners(m_onModified);
}

bool TextBuffer::isDirty() const
{
    return !m_scratch && m_undoStack.modifyingCount() != m_savedMarker;
}

void TextBuffer::clearUndoHistory()
{
    VASSERT(m_constructionDepth == 0);
    m_pendingStack.clear();
    m_undoStack.clear();
    m_redoStack.clear();
    m_constructionUndoActionGroup.reset();
    m_savedMarker = 0;
    m_historyReplayed = false;
    m_mergeAllowed = false;
}

std::pair<ustring, int32_t> TextBuffer::lastCommand()
{
    m_mergeAllowed = false;
    for (size_t i = m_undoStack.size(); i-- > 0;) {
        const UndoActionGroup& group = m_undoStack[i];
        if (group.isModifying())
            return {*group.commandText, group.repeatCount};
    }
    return {ustring(), 0};
}

void TextBuffer::markUndoGroupsForGluing()
{
    VASSERT(!isPredicting());
    m_mergeAllowed = false;
    m_glueMarker = static_cast<int32_t>(m_undoStack.size());
}

void TextBuffer::glueMarkedUndoGroups()
{
    VASSERT(!isPredicting());
    m_mergeAllowed = false;
    if (m_glueMarker == -1)
        return;
    if (m_glueMarker < m_macroMarker)
        m_macroMarker = -1;
    if (m_glueMarker <= static_cast<int32_t>(m_undoStack.size())) {
        // Newest first, each put in front: actions and names come out oldest
        // first, and the glued group keeps the oldest snapshot.
        std::unique_ptr<UndoActionGroup> glued;
        std::vector<UndoAction> actions;
        ustring suffix;
        while (static_cast<int32_t>(m_undoStack.size()) > m_glueMarker) {
            std::unique_ptr<UndoActionGroup> group = m_undoStack.pop();
            actions.insert(actions.begin(), std::make_move_iterator(group->actions.begin()),
                           std::make_move_iterator(group->actions.end()));
            group->actions.clear();
            ustring quoted = u" \"" + escapeString(*group->commandText) + u"\"";
            for (int32_t i = 0; i < group->repeatCount; ++i)
                suffix.insert(0, quoted);
            glued = std::move(group);
        }
        if (!glued)
            glued = std::make_unique<UndoActionGroup>(*this, nullptr);
        glued->actions = std::move(actions);
        glued->commandText = internCommandText(u"sequence" + suffix);
        glued->repeatCount = 1;
        m_undoStack.push(std::move(glued));
    }
    m_glueMarker = -1;
}

void TextBuffer::beginMacroRecording()
{
    VASSERT(!isPredicting());
    m_mergeAllowed = false;
    m_macroMarker = static_cast<int32_t>(m_undoStack.size());
}

std::vector<ustring> TextBuffer::takeRecordedCommands()
{
    m_mergeAllowed = false;
    std::vector<ustring> commands;
    if (m_macroMarker == -1)
        return commands;
    for (size_t i = static_cast<size_t>(m_macroMarker); i < m_undoStack.size(); ++i) {
        const UndoActionGroup& group = m_undoStack[i];
        if (group.commandText->empty())
            continue;
        for (int32_t k = 0; k < group.repeatCount; ++k)
            commands.push_back(*group.commandText);
    }
    m_macroMarker = -1;
    return commands;
}

void TextBuffer::beginPrediction()
{
    VASSERT(!isPredicting());
    VASSERT(m_constructionDepth == 0);
    if (isReadOnly())
        return;
    m_undoStack.appendFrom(m_pendingStack);
    m_redoStack.clear();
    m_mergeAllowedBeforePrediction = m_mergeAllowed;
    m_mergeAllowed = false;
    m_predictionMarker = static_cast<int32_t>(m_undoStack.size());
}

void TextBuffer::commitPrediction()
{
    VASSERT(m_constructionDepth == 0);
    if (!isPredicting())
        return;
    const size_t marker = static_cast<size_t>(m_predictionMarker);
    if (m_mergeAllowedBeforePrediction && marker > 0 && marker < m_undoStack.size()) {
        // The predicted group joins the one before the prediction as typing
        // would have joined it.
        UndoActionGroup& before = m_undoStack[marker - 1];
        const UndoActionGroup& predicted = m_undoStack[marker];
        if (before.tryMerge(*predicted.commandText, predicted.repeatCount, m_commandTexts)) {
            std::unique_ptr<UndoActionGroup> first = m_undoStack.erase(marker);
            m_undoStack.appendActions(marker - 1, std::move(first->actions));
        }
    }
    m_predictionMarker = -1;
}

void TextBuffer::cancelPrediction()
{
    VASSERT(m_constructionDepth == 0);
    if (!isPredicting())
        return;
    UndoStack discarded;
    while (static_cast<int32_t>(m_undoStack.size()) > m_predictionMarker) {
        const size_t before = m_undoStack.size();
        moveGroup(m_undoStack, discarded);
        if (m_undoStack.size() == before)
            break; // read-only: nothing can be undone
    }
    m_predictionMarker = -1;
}

const ustring* TextBuffer::internCommandText(const slate::usubstring& text)
{
    return &*m_commandTexts.emplace(text.begin, text.end).first;
}
