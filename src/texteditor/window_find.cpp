// The editor window's side of finding: it owns the find settings that its
// find, incremental find and replace panels share, keeps them in step with
// the Application options and the buffers, moves their highlighting to the
// active view while such a panel is visible, and lets pending highlighting
// of a large buffer go on one bounded step per frame.
#include <memory>

#include "panels/find_panel.h"
#include "panels/find_target_panel.h"
#include "panels/replace_panel.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/options_manager.h"

void TextEditorWindow::addFindPanels()
{
    const auto hide = [this] { m_panelHost.hidePanel(); };
    auto find = std::make_unique<FindPanel>(this, &m_viewSet, &m_findSettings, false, hide);
    find->registerCommands(m_commandMap);
    m_panelHost.addPanel(std::move(find));
    m_panelHost.addPanel(std::make_unique<FindPanel>(this, &m_viewSet, &m_findSettings, true, hide));
    auto replace = std::make_unique<ReplacePanel>(this, &m_viewSet, &m_findSettings,
                                                  &m_application->m_history.replaceHistory);
    replace->registerCommands(m_commandMap);
    m_panelHost.addPanel(std::move(replace));

    m_commandMap.add("incrementalFind", [this](const CommandArguments&) { incrementalFind(false); });
    m_commandMap.add("reverseIncrementalFind", [this](const CommandArguments&) { incrementalFind(true); });
}

void TextEditorWindow::incrementalFind(bool reverse)
{
    if (m_findSettings.reverse() != reverse) {
        const slate::SP<Options> options = OptionsManager::get().getOptions(FindSettings::kApplicationOptionsPath);
        options->setBool(ustring(u"find.reverse"), reverse);
        options->notifyChanged();
    }
    if (DialogPanel* panel = m_panelHost.panel(u"incfind"))
        m_panelHost.showPanelFocused(panel);
}

void TextEditorWindow::reloadFindSettings()
{
    m_findSettings.loadFromOptions();
    DialogPanel* current = m_panelHost.currentPanel();
    m_panelHost.forEachPanel([current](DialogPanel& panel) {
        if (auto* target = dynamic_cast<FindTargetPanel*>(&panel))
            target->settingsChanged(&panel == current);
    });
}

bool TextEditorWindow::updateFindTarget()
{
    if (auto* target = dynamic_cast<FindTargetPanel*>(m_panelHost.currentPanel()))
        target->updateTargetView();
    return !m_findSettings.continueHighlighting();
}
