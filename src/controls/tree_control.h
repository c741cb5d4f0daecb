// The tree control: branches and leaves in a sunken frame with scrollbars.
// Each branch has a row with an expand button and its name; an expanded
// branch is followed by its child branches, then its leaves, indented. The
// control stores no hierarchy: every frame it asks a TreeBranch for names,
// counts and children, and tells it when the user toggles a branch,
// activates a leaf or asks for a branch's menu.
#pragma once

#include <functional>
#include <memory>

#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class MenuDescriptor;
class Theme;

// A node of a tree, owned by the tree's owner. Every branch carries a
// lifetime token: the actions of a frame's rows hold the branch through it
// and do nothing once the branch is gone, so a tree rescanned while a
// button is held, or between a frame and the input that follows it, is
// never touched through a stale row.
class TreeBranch {
public:
    TreeBranch() : m_lifetime(std::make_shared<char>()) {}
    // A copy is a new branch with a lifetime of its own.
    TreeBranch(const TreeBranch&) : TreeBranch() {}
    TreeBranch& operator=(const TreeBranch&) { return *this; }
    virtual ~TreeBranch() = default;

    virtual slate::usubstring name() = 0;
    virtual int childCount() = 0;
    // Null when there is no such child.
    virtual TreeBranch* child(int i) = 0;
    virtual int leafCount() = 0;
    virtual slate::usubstring leafName(int i) = 0;
    // Leaf i was double-clicked in `window`.
    virtual void activateLeaf(BaseWindow* window, int i) = 0;
    virtual bool isExpanded() = 0;
    virtual void setExpanded(bool expanded) = 0;
    // The menu of the branch and its leaves; null for none.
    virtual slate::SP<MenuDescriptor> contextMenu() = 0;

    // Expires when the branch is destroyed.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

private:
    std::shared_ptr<const char> m_lifetime;
};

// A branch that does nothing: no name, children or leaves, never expanded.
class DefaultTreeBranch : public TreeBranch {
public:
    slate::usubstring name() override { return {}; }
    int childCount() override { return 0; }
    TreeBranch* child(int) override { return nullptr; }
    int leafCount() override { return 0; }
    slate::usubstring leafName(int) override { return {}; }
    void activateLeaf(BaseWindow*, int) override {}
    bool isExpanded() override { return false; }
    void setExpanded(bool) override {}
    slate::SP<MenuDescriptor> contextMenu() override;
};

// The region inside the tree's frame: a secondary release on empty space
// focuses the tree and runs the context action, as does the menu key.
class TreeControlInputHandler : public InputRegion {
public:
    TreeControlInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                            std::function<void()> contextAction);
    bool onInputEvent(const KeyEvent& event) override;
    bool onContextMenuKey() override;

private:
    std::function<void()> m_contextAction; // may be empty
};

// The tree of `root` (whose own row is not shown) scrolled by the caller's
// offset. False while a hover fade runs.
bool treeControl(Theme& theme, InputRegion* parent, const interval2& rect, vector2* offset, TreeBranch* root,
                 const std::function<void()>& contextAction);

// The width and height of a branch's rows: its name row (none for the root)
// and, when expanded, its children and leaves.
vector2 measureTreeBranch(const Theme& theme, TreeBranch* branch, bool isRoot);

// Draws the rows of `branch` from (x, y) that reach into `clip`, adding their
// regions under `parent`. False while a hover fade runs.
bool drawTreeBranch(Theme& theme, InputRegion* parent, const interval2& clip, float x, float y, TreeBranch* branch,
                    bool isRoot);

// Shows the branch's menu at the pointer and runs the chosen command line
// through the window's runner; nothing when the branch has no menu.
void showBranchMenu(BaseWindow* window, TreeBranch* branch);
