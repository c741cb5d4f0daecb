// The tree control. Nothing is cached between frames: each frame measures
// the tree for the scroll container and then walks it from the top, skipping
// subtrees wholly above the clip by their heights and stopping at the bottom
// of the clip, so only the rows shown are drawn and get regions. The skip
// needs only heights, which are counted without measuring any text.
#include "controls/tree_control.h"

#include <algorithm>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "controls/scroll_container.h"
#include "ui/base_window.h"
#include "ui/theme.h"
#include "ui/menu_descriptor.h"
#include "window_manager/window.h"

namespace {

constexpr float kIndent = 16;
constexpr float kButtonSize = 12;
constexpr float kIconSize = 8;

float lineHeightOf(const Theme& theme)
{
    const UnicodeFont* font = theme.font(false).font;
    return font ? font->lineHeight() : 0.f;
}

float widthOf(const Theme& theme, const slate::usubstring& text)
{
    UnicodeFont* font = theme.font(false).font;
    return font ? textWidth(*font, text.begin, text.end) : 0.f;
}

// A branch as a frame's actions hold it: usable only while it lives.
class BranchHandle {
public:
    explicit BranchHandle(TreeBranch* branch) : m_branch(branch), m_lifetime(branch->lifetime()) {}
    // Null once the branch is destroyed.
    TreeBranch* get() const { return m_lifetime.expired() ? nullptr : m_branch; }

private:
    TreeBranch* m_branch;
    std::weak_ptr<const void> m_lifetime;
};

float branchHeight(TreeBranch* branch, bool isRoot, float rowHeight)
{
    float height = isRoot ? 0 : rowHeight;
    if (!branch->isExpanded())
        return height;
    const int children = branch->childCount();
    for (int i = 0; i < children; ++i)
        if (TreeBranch* child = branch->child(i))
            height += branchHeight(child, false, rowHeight);
    return height + rowHeight * branch->leafCount();
}

std::function<void()> toggleAction(TreeBranch* branch, bool expand)
{
    return [handle = BranchHandle(branch), expand] {
        if (TreeBranch* live = handle.get())
            live->setExpanded(expand);
    };
}

std::function<void()> menuAction(BaseWindow* window, TreeBranch* branch)
{
    return [window, handle = BranchHandle(branch)] {
        if (TreeBranch* live = handle.get())
            showBranchMenu(window, live);
    };
}

bool treeContent(Theme& theme, InputRegion* region, const interval2& contentRect, float scrollX, float scrollY,
                 TreeBranch* root, const std::function<void()>& contextAction)
{
    Canvas& canvas = *region->baseWindow()->canvas();
    const interval2 inner = drawControlFrame(theme, canvas, contentRect);
    auto* tree = new TreeControlInputHandler(region->baseWindow(), RegionId(root, -1), inner, contextAction);
    region->addChild(tree);
    const interval2 saved = canvas.setClip(inner);
    const bool done =
        drawTreeBranch(theme, tree, inner, inner.x0 - std::floor(scrollX), inner.y0 - std::floor(scrollY), root, true);
    canvas.setClip(saved);
    return done;
}

} // namespace

slate::SP<MenuDescriptor> DefaultTreeBranch::contextMenu() { return slate::SP<MenuDescriptor>(); }

TreeControlInputHandler::TreeControlInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                                 std::function<void()> contextAction)
    : InputRegion(window, id, rect), m_contextAction(std::move(contextAction))
{
}

bool TreeControlInputHandler::onInputEvent(const KeyEvent& event)
{
    if (event.pressed || event.code != kMouseRight)
        return false;
    m_window->focusState()->setFocusPath(this);
    if (m_contextAction)
        m_contextAction();
    return true;
}

bool TreeControlInputHandler::onContextMenuKey()
{
    if (!m_contextAction)
        return false;
    m_contextAction();
    return true;
}

bool treeControl(Theme& theme, InputRegion* parent, const interval2& rect, vector2* offset, TreeBranch* root,
                 const std::function<void()>& contextAction)
{
    const vector2 size = measureTreeBranch(theme, root, true);
    const float border = 2 * controlBorderWidth();
    return scrollContainer(theme, parent, rect, size.x + border, size.y + border, offset, 8, lineHeightOf(theme) + 2,
                           [&](Theme& t, InputRegion* region, const interval2& content, float x, float y) {
                               return treeContent(t, region, content, x, y, root, contextAction);
                           });
}

vector2 measureTreeBranch(const Theme& theme, TreeBranch* branch, bool isRoot)
{
    const float rowHeight = lineHeightOf(theme) + 2;
    const float indent = isRoot ? 0 : kIndent;
    vector2 size;
    if (!isRoot)
        size = vector2{widthOf(theme, branch->name()) + kIndent, rowHeight};
    if (!branch->isExpanded())
        return size;
    const int children = branch->childCount();
    for (int i = 0; i < children; ++i) {
        TreeBranch* child = branch->child(i);
        if (!child)
            continue;
        const vector2 c = measureTreeBranch(theme, child, false);
        size.y += c.y;
        size.x = std::max(size.x, c.x + indent);
    }
    const int leaves = branch->leafCount();
    for (int j = 0; j < leaves; ++j) {
        size.y += rowHeight;
        size.x = std::max(size.x, widthOf(theme, branch->leafName(j)) + indent);
    }
    return size;
}

bool drawTreeBranch(Theme& theme, InputRegion* parent, const interval2& clip, float x, float y, TreeBranch* branch,
                    bool isRoot)
{
    const ThemeFont& font = theme.font(false);
    const float lineHeight = lineHeightOf(theme);
    const float rowHeight = lineHeight + 2;
    BaseWindow* window = parent->baseWindow();
    bool done = true;
    if (!isRoot) {
        if (y + lineHeight >= clip.y0) {
            const bool expanded = branch->isExpanded();
            const slate::usubstring name = branch->name();
            drawThemeText(font, x + kIndent, y, name.begin, name.end, false);
            addButtonRegion(parent, RegionId(branch, 0), interval2(x + kIndent, y, clip.x1, y + rowHeight), {},
                            toggleAction(branch, !expanded), menuAction(window, branch), ustring(), ustring());
            const float buttonY = y + (lineHeight - kButtonSize) / 2;
            done &= iconButton(parent, RegionId(branch, 1), interval2(x, buttonY, x + kButtonSize, buttonY + kButtonSize),
                               toggleAction(branch, !expanded), &theme.get(expanded ? "icon.collapse" : "icon.expand"),
                               &theme.get("tree.button"), &theme.get("tree.button.down"), ustring(), ustring(),
                               kIconSize);
        }
        x += kIndent;
        y += rowHeight;
    }
    if (!branch->isExpanded())
        return done;
    const int children = branch->childCount();
    for (int i = 0; i < children && y < clip.y1; ++i) {
        TreeBranch* child = branch->child(i);
        if (!child)
            continue;
        const float height = branchHeight(child, false, rowHeight);
        if (y + height >= clip.y0)
            done &= drawTreeBranch(theme, parent, clip, x, y, child, false);
        y += height;
    }
    const int leaves = branch->leafCount();
    int first = 0;
    // Leaves wholly above the clip are skipped in one step.
    if (y + lineHeight < clip.y0 && rowHeight > 0)
        first = std::min(leaves, std::max(0, int(std::floor((clip.y0 - lineHeight - y) / rowHeight)) - 1));
    y += rowHeight * first;
    for (int j = first; j < leaves && y < clip.y1; ++j) {
        if (y + lineHeight >= clip.y0) {
            const slate::usubstring name = branch->leafName(j);
            drawThemeText(font, x, y, name.begin, name.end, false);
            auto activate = [window, handle = BranchHandle(branch), j] {
                if (TreeBranch* live = handle.get())
                    live->activateLeaf(window, j);
            };
            addButtonRegion(parent, RegionId(branch, j + 2), interval2(x, y, clip.x1, y + rowHeight), {}, activate,
                            menuAction(window, branch), ustring(), ustring());
        }
        y += rowHeight;
    }
    return done;
}

void showBranchMenu(BaseWindow* window, TreeBranch* branch)
{
    const slate::SP<MenuDescriptor> menu = branch->contextMenu();
    Window* platformWindow = window->m_window;
    if (!menu || !platformWindow)
        return;
    CommandRunner* runner = window->commandRunner();
    ustring command;
    if (platformWindow->showPopupMenuAtCursor(command, menu, runner) && runner)
        runner->exec(command);
}
