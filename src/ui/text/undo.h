// The undo history of a text buffer: what one command did (its text changes
// and a copy of the selections, bookmarks, mirrors and snippet fields as they
// were before it ran), and the stacks those records live on. The buffer
// (text_buffer.h) builds the groups and moves them between its stacks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "ui/text/compact_character_buffer.h"
#include "ui/text/dependent_region.h"
#include "ui/text/selection_history.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/text/tracked_points.h"
#include "ui/ustring.h"

class TextBuffer;
class ViewState;

// The command texts of a buffer's groups, one stored copy per distinct text.
// The address of a stored copy is stable for the buffer's life, so groups
// hold command texts by pointer.
using CommandTextSet = std::unordered_set<ustring>;

// The named regions of a view state, by interned name (the buffer's region
// name table). Keyed by identity: the order means nothing.
using NamedRegionMap = std::map<const ustring*, NamedRegions>;

// One change of the text, as needed to reverse it.
struct UndoAction {
    enum class Kind : int32_t { Erasure = 0, Insertion = 1 };

    Kind kind = Kind::Insertion;
    // Insertion: (position, position + inserted length). Erasure: the caret
    // at the start of the erased text.
    SelectionRegion region;
    // Erasure: the erased text, exactly (unpaired surrogates included).
    // Insertion: empty.
    CompactCharacterBuffer text;
};

// The undo copy of one view state. The field regions are not part of it.
struct ViewSnapshot {
    // Only to find the view state again; it may have died since, and a new
    // one may live at its address, so the serial number must match too.
    const ViewState* viewState = nullptr;
    uint64_t viewStateSerial = 0;
    SelectionHistory selectionHistory;
    TrackedPoints trackedPoints;
    TrackedRegions trackedRegions;
    NamedRegionMap namedRegions;
    // The change counter of the current selection when the copy was taken.
    // Tells the buffer whether the selection was set since; not part of
    // equality.
    uint32_t selectionChangeCount = 0;

    explicit ViewSnapshot(const ViewState& state);
    bool operator==(const ViewSnapshot& other) const;
    bool operator!=(const ViewSnapshot& other) const { return !(*this == other); }
};

// What one command (or one run of merged commands) did. The snapshot fields
// hold the state before the first of them; `actions` every change in order.
class UndoActionGroup {
public:
    // Takes the snapshot of `buffer` as it is now. `commandText` is interned
    // in the buffer's command texts (not null).
    UndoActionGroup(const TextBuffer& buffer, const ustring* commandText);
    UndoActionGroup(const UndoActionGroup&) = delete;
    UndoActionGroup& operator=(const UndoActionGroup&) = delete;

    // Whether the group changed the text; selection-only otherwise.
    bool isModifying() const { return !actions.empty(); }
    // Whether the snapshot equals one taken of `buffer` now (bookmarks,
    // mirrors, view snapshots; not the selection change counters).
    bool sameStateAs(const TextBuffer& buffer) const;

    // Lets the command `text` (run `additionalRepeatCount` times) join this
    // group. Two typing commands with one argument each become one whose
    // argument is both texts together; the same other command text adds to
    // the repeat count. New texts are interned in `commandTexts`.
    bool tryMerge(const slate::usubstring& text, int32_t additionalRepeatCount,
                  CommandTextSet& commandTexts);

    // Snapshot: copies, independent of later changes to the buffer.
    SelectionSet bookmarks;
    std::vector<DependentRegion> dependentRegions;
    std::vector<ViewSnapshot> views; // one per view state of the buffer, in its order

    std::vector<UndoAction> actions; // in the order made
    const ustring* commandText; // interned; compared by content
    int32_t repeatCount = 1; // executions of the command the group stands for
};

// True for the typing commands whose runs merge into one group.
bool isInsertCommand(const slate::usubstring& name);

// A stack of owned groups that counts its modifying groups. Invariant: an
// empty stack counts none.
class UndoStack {
public:
    UndoStack() = default;
    UndoStack(const UndoStack&) = delete;
    UndoStack& operator=(const UndoStack&) = delete;

    void push(std::unique_ptr<UndoActionGroup> group);
    // The stack must not be empty.
    std::unique_ptr<UndoActionGroup> pop();
    // Removes the group at `index` and hands it back.
    std::unique_ptr<UndoActionGroup> erase(size_t index);
    // Appends every group of `other`, in order; `other` is left empty.
    void appendFrom(UndoStack& other);
    // Appends `actions` to the group at `index`, keeping the count right
    // when that group turns modifying.
    void appendActions(size_t index, std::vector<UndoAction>&& actions);
    // Deletes every group.
    void clear();

    bool empty() const;
    size_t size() const { return m_stack.size(); }
    UndoActionGroup& top() { return *m_stack.back(); }
    const UndoActionGroup& top() const { return *m_stack.back(); }
    const UndoActionGroup& operator[](size_t index) const { return *m_stack[index]; }
    // Changing a group on the stack must not change whether it is modifying
    // (see appendActions).
    UndoActionGroup& operator[](size_t index) { return *m_stack[index]; }
    int32_t modifyingCount() const;
    bool hasModifying() const;

private:
    std::vector<std::unique_ptr<UndoActionGroup>> m_stack; // the top is the last
    int32_t m_numModifyingGroups = 0;
};
