// Branches for the tree control tests and benchmarks: a named node that owns
// its child branches and leaf names and records what the tree asks of it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/tree_control.h"
#include "ui/menu_descriptor.h"

namespace tree_test {

class Branch : public DefaultTreeBranch {
public:
    explicit Branch(ustring name, bool expanded = true) : m_name(std::move(name)), m_expanded(expanded) {}

    Branch* add(ustring name, bool expanded = true)
    {
        m_children.push_back(std::make_unique<Branch>(std::move(name), expanded));
        return m_children.back().get();
    }
    void addLeaf(ustring name) { m_leaves.push_back(std::move(name)); }
    void withMenu() { m_menu = slate::SP<MenuDescriptor>(new MenuDescriptor(u"branch")); }

    slate::usubstring name() override { return m_name; }
    int childCount() override { return int(m_children.size()); }
    TreeBranch* child(int i) override { return m_children[size_t(i)].get(); }
    int leafCount() override { return int(m_leaves.size()); }
    slate::usubstring leafName(int i) override { return m_leaves[size_t(i)]; }
    void activateLeaf(BaseWindow*, int i) override { activated.push_back(i); }
    bool isExpanded() override { return m_expanded; }
    void setExpanded(bool expanded) override { m_expanded = expanded; }
    slate::SP<MenuDescriptor> contextMenu() override { return m_menu; }

    std::vector<std::unique_ptr<Branch>> m_children;
    std::vector<int> activated;

private:
    ustring m_name;
    std::vector<ustring> m_leaves;
    bool m_expanded;
    slate::SP<MenuDescriptor> m_menu;
};

} // namespace tree_test
