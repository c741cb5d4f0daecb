// The panel host keeps the window's panels and overlays and decides which of
// each is visible. Both follow one rule: the visible one is always told it
// hides before anything else is shown, even when the same one is shown
// again, so a panel can rely on onHide and onShow alternating. Heights are
// only raised here, to a panel's minimum on its first show; the layout's
// splitter and the session change them otherwise. The commands take their
// arguments as words of the command line and ignore what they cannot use.
#include "texteditor/panel_host.h"

#include <utility>

#include "input/command_map.h"
#include "panels/dialog_panel.h"
#include "panels/result_set.h"
#include "ui/arena_allocator.h"

namespace {

const char16_t kNoFocus[] = u"nofocus";
const char16_t kInsertSnippet[] = u"insertSnippet";
// The quick panel highlights its first filtered item.
const unsigned kHighlightFirstItem = 16;

// The entry of that name, or null. Panels and overlays are kept alike.
template <typename Item>
Item* findByName(const std::map<ustring, std::unique_ptr<Item>>& items, const ustring& name)
{
    auto found = items.find(name);
    return found == items.end() ? nullptr : found->second.get();
}

// Hides the visible item, even when it is `next`, and shows `next`.
template <typename Item>
void switchVisible(Item*& current, Item* next)
{
    if (current)
        current->onHide();
    current = next;
    next->onShow();
}

// Hides the visible item, if any; true when there was one. The slot is
// cleared before onHide, so that an item hiding itself from there finds
// nothing to hide.
template <typename Item>
bool hideVisible(Item*& current)
{
    if (!current)
        return false;
    std::exchange(current, nullptr)->onHide();
    return true;
}

} // namespace

PanelHost::PanelHost(std::map<ustring, float>& heights, WindowHooks hooks)
    : m_heights(heights), m_hooks(std::move(hooks))
{
}

PanelHost::~PanelHost() = default;

void PanelHost::addPanel(std::unique_ptr<DialogPanel> panel)
{
    ustring name = panel->name();
    m_panels[std::move(name)] = std::move(panel);
}

DialogPanel* PanelHost::panel(const ustring& name) const
{
    return findByName(m_panels, name);
}

void PanelHost::forEachPanel(const std::function<void(DialogPanel&)>& visit) const
{
    for (const auto& entry : m_panels)
        visit(*entry.second);
}

void PanelHost::showPanel(DialogPanel* panel)
{
    switchVisible(m_currentPanel, panel);
    if (!panel->isResizable())
        return;
    // A height still 0 here is replaced by the preferred height when the
    // layout first draws the panel.
    float& height = m_heights[panel->name()];
    if (panel->minHeight() > height)
        height = panel->minHeight();
}

void PanelHost::showPanelFocused(DialogPanel* panel)
{
    if (!isPanelFocused(panel)) {
        showPanel(panel);
        return;
    }
    if (!panel->onShowAgain())
        hidePanel();
}

void PanelHost::hidePanel()
{
    if (hideVisible(m_currentPanel) && m_hooks.focusActiveView)
        m_hooks.focusActiveView();
}

bool PanelHost::isPanelFocused(const DialogPanel* panel) const
{
    return panel && panel == m_currentPanel && m_hooks.panelAreaHasFocus && m_hooks.panelAreaHasFocus();
}

void PanelHost::addOverlay(const ustring& name, std::unique_ptr<Overlay> overlay)
{
    m_overlays[name] = std::move(overlay);
}

Overlay* PanelHost::overlay(const ustring& name) const
{
    return findByName(m_overlays, name);
}

void PanelHost::showOverlay(Overlay* overlay)
{
    switchVisible(m_currentOverlay, overlay);
}

void PanelHost::hideOverlay()
{
    if (hideVisible(m_currentOverlay) && m_hooks.focusActiveView)
        m_hooks.focusActiveView();
}

void PanelHost::showPanelCommand(const std::vector<slate::usubstring>& arguments)
{
    DialogPanel* target = arguments.empty() ? nullptr : panel(arguments[0].str());
    if (!target)
        return;
    if (arguments.size() < 2 || arguments[1] != kNoFocus)
        showPanelFocused(target);
    else if (target == m_currentPanel)
        hidePanel();
    else
        showPanel(target);
}

bool PanelHost::isShowPanelChecked(const std::vector<slate::usubstring>& arguments) const
{
    DialogPanel* target = arguments.empty() ? nullptr : panel(arguments[0].str());
    if (!target)
        return false;
    if (arguments.size() >= 2 && arguments[1] == kNoFocus)
        return target == m_currentPanel;
    return isPanelFocused(target);
}

void PanelHost::chooseSnippet(const std::vector<slate::usubstring>& paths,
                              const SnippetDescriptionFunction& describeSnippet)
{
    if (paths.empty() || !m_showQuickPanel)
        return;
    auto arena = std::make_unique<ArenaAllocator>();
    std::vector<slate::usubstring> arguments;
    std::vector<slate::usubstring> display;
    arguments.reserve(paths.size());
    display.reserve(paths.size());
    for (const slate::usubstring& path : paths) {
        const slate::usubstring copied = arena->copyString(path);
        arguments.push_back(copied);
        const slate::usubstring description = describeSnippet ? describeSnippet(path.str()) : slate::usubstring();
        display.push_back(description.empty() ? copied : arena->copyString(description));
    }
    m_showQuickPanel(ustring(), kInsertSnippet, std::move(arguments), std::move(display), std::move(arena),
                     kHighlightFirstItem);
}

void PanelHost::registerCommands(CommandMap& map, SnippetDescriptionFunction describeSnippet)
{
    // The map hands over the whole command line: the name, then the words.
    auto words = [](const CommandArguments& line) { return CommandArguments(line.begin() + 1, line.end()); };
    map.addChecked(
        "showPanel", [this, words](const CommandArguments& line) { showPanelCommand(words(line)); },
        [this, words](const CommandArguments& line) { return isShowPanelChecked(words(line)); });
    map.add("hidePanel", [this](const CommandArguments&) { hidePanel(); });
    map.add("hideOverlay", [this](const CommandArguments&) { hideOverlay(); });
    for (const bool forward : {true, false}) {
        map.addEnabled(
            forward ? "nextResult" : "prevResult",
            [this, forward](const CommandArguments&) {
                if (m_resultSet)
                    m_resultSet->gotoResult(forward);
            },
            [this, forward](const CommandArguments&) { return m_resultSet && m_resultSet->hasResults(forward); });
    }
    map.add("chooseSnippet", [this, words, describeSnippet = std::move(describeSnippet)](const CommandArguments& line) {
        chooseSnippet(words(line), describeSnippet);
    });
}
