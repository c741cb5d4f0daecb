// The editor window's structure and lifecycle, and the smallest way of
// putting files into it: one group of tabs, each a view with its minimap,
// and files read through their buffer's file source. The window's layout,
// tab strips, panels, project and the dialogs that open, save and close
// files come on top of this; they replace the drawing and opening bodies
// here, not their interfaces.
//
// The window is owned by its platform window. Its Reference is the one
// thing that may outlive it: the destructor empties it before anything else
// goes, so a plug-in holding it sees a null window from then on.
#include "texteditor/text_editor_window.h"

#include <algorithm>

#include "controls/text_control.h"
#include "filesystem/file_utils.h"
#include "panels/dialog_panel.h"
#include "panels/goto_panel.h"
#include "texteditor/file_spec.h"
#include "texteditor/file_type_options.h"
#include "texteditor/status_bar.h"
#include "texteditor/test_hook.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/toolbar_strip.h"
#include "texteditor/view_set_commands.h"
#include "texteditor/window_frame.h"
#include "texteditor/window_input_region.h"
#include "texteditor/window_layout.h"
#include "texteditor/window_panel_area.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/snippet_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/theme.h"
#include "ui/unique_id.h"
#include "window_manager/window.h"


TextEditorWindow::TextEditorWindow(TextEditorApplication* application)
    : m_id(static_cast<uint32_t>(nextUniqueId())),
      m_application(application),
      m_viewSet(focusState(), &m_tabState),
      m_findSettings(&application->m_history.findHistory),
      m_panelHost(m_panelHeights,
                  {[this] { return focusState()->hasFocus(RegionId(this, kPanelAreaRegion)); },
                   [this] {
                       if (slate::SP<TextBufferView> view = m_viewSet.activeView())
                           focusState()->requestFocus(RegionId(view.get()));
                   }})
{
    m_reference = new Reference;
    m_reference->window = this;
    registerCommands();
    m_panelHost.addPanel(std::make_unique<GotoPanel>(this, &m_viewSet, [this] { m_panelHost.hidePanel(); }));
    addFindPanels();
    // The plug-in host's window runner goes first once there is one, so that
    // a plug-in command shadows a built-in one of the same name.
    if (m_pythonCommandRunner)
        m_commandRunner.addRunner(m_pythonCommandRunner.get());
    m_commandRunner.addRunner(&m_commandMap);
    applyApplicationOptions();
}

TextEditorWindow::~TextEditorWindow()
{
    m_reference->window = nullptr;
    m_reference.reset();
    m_pythonCommandRunner.reset();
    m_application->windowDestroyed(this);
}

void TextEditorWindow::registerCommands()
{
    // The window's commands are registered by the parts that implement
    // them.
    addFileCommands();
    addViewSetCommands(m_commandMap, m_viewSet);
    addSaveCommands();
    addCloseCommands();
    addCloneCommands();
    addWindowCommands();
    m_panelHost.registerCommands(m_commandMap, [](const ustring& path) {
        return SnippetManager::alive() ? SnippetManager::get().findSnippet(path) : slate::usubstring();
    });
}

void TextEditorWindow::applyApplicationOptions()
{
    bool debugCommands = false;
    OptionsManager::get().getOptions(ustring(kApplicationOptionsPath))->getBool(ustring(u"debugCommands"),
                                                                                 debugCommands);
    m_debugCommands = debugCommands;
    reloadFindSettings();
}

void TextEditorWindow::updateTitle(const slate::SP<TextBufferView>& view)
{
    // The window has no project yet, so the title names none.
    const ustring projectText;
    if (m_window && refreshTitleCache(m_titleCache, titleState(view.get(), projectText)))
        m_window->setTitle(windowTitle(view.get(), projectText));
}

platform::WindowHandle TextEditorWindow::dialogOwner() const
{
    return m_window ? m_window->nativeHandle() : nullptr;
}

bool TextEditorWindow::isFullScreen() const { return m_window && m_window->isFullscreen(); }

void TextEditorWindow::setCanvas(Canvas* canvas)
{
    BaseWindow::setCanvas(canvas);
    if (canvas) {
        addPlatformWindowCommands();
        m_toolbar.watchAndLoad(canvas, u"Packages/Default/Main.vantrel-toolbar");
        m_findSettings.setCanvas(canvas);
        m_panelHost.forEachPanel([canvas](DialogPanel& panel) { panel.setCanvas(canvas); });
    }
}

bool TextEditorWindow::onKeyOrButton(const KeyEvent& event)
{
    const bool consumed = BaseWindow::onKeyOrButton(event);
    // A walk through the view stack ends when the last key is let go; only
    // then does the view reached become the most recent.
    const uint8_t* keys = event.state.key;
    if (!event.pressed && std::none_of(keys, keys + kKeyCodeCount, [](uint8_t down) { return down != 0; }))
        m_viewSet.promoteActiveView();
    m_application->scheduleAutoSave();
    return consumed;
}

bool TextEditorWindow::onCharacter(const CharacterEvent& event)
{
    const bool consumed = BaseWindow::onCharacter(event);
    m_application->scheduleAutoSave();
    return consumed;
}

void TextEditorWindow::onCommandLine(const std::vector<ustring>& arguments)
{
    m_application->handleCommandLine(arguments);
}

void TextEditorWindow::onActivate()
{
    BaseWindow::onActivate();
    m_application->windowActivated(this);
    // The active file's folder becomes the current directory again, which
    // another window may have moved.
    if (slate::SP<TextBufferView> view = m_viewSet.activeView())
        view->activate();
}

bool TextEditorWindow::openProject(const ustring& path)
{
    VLOG << u"Unable to open " << path << u" as a project: projects are not supported";
    return false;
}

void TextEditorWindow::addRecentProject(const ustring& path)
{
    m_application->m_history.recentProjects.add(path);
}

void TextEditorWindow::setLayout(int type)
{
    if (type < 0 || type >= kLayoutTypeCount)
        return;
    m_viewSet.setNumGroups(fitLayoutSplits(type, m_rowSplits, m_colSplits).groupCount());
    m_layoutType = type;
}

bool TextEditorWindow::draw(InputRegion* parent, const interval2& rect, bool showMinimap, bool showToolbar,
                            bool showStatusbar, bool showCloseButton, bool showTabCloseButtons)
{
    updateTitle(m_viewSet.activeView());
    // Window commands reach the window's runner through its root region,
    // after the regions inside it had their turn.
    auto* region = new WindowInputRegion(RegionId(this), rect, &m_commandRunner, this);
    parent->addChild(region);
    // Before the views are drawn, so that they show this frame's step of
    // highlighting.
    bool done = updateFindTarget();
    if (Theme* frameTheme = theme()) {
        FrameRequest request;
        request.window = rect;
        request.showToolbar = showToolbar;
        request.toolbarHeight = frameTheme->toolbarHeight;
        request.showStatusbar = showStatusbar;
        request.statusbarHeight = frameTheme->statusbarHeight;
        DialogPanel* panel = m_panelHost.currentPanel();
        if (panel) {
            request.hasPanel = true;
            request.panelHeight = panelAreaHeight(*panel, m_panelHeights);
        }
        const FrameLayout layout = layoutFrame(request);

        const bool fullscreen = m_window && m_window->isFullscreen();
        GroupFrame frame;
        frame.theme = frameTheme;
        frame.viewSet = &m_viewSet;
        frame.tabState = &m_tabState;
        frame.showMinimap = showMinimap;
        frame.showCloseButton = showCloseButton;
        frame.showTabCloseButtons = showTabCloseButtons;
        frame.closeView = [this](TextBufferView* view) { closeView(view); };
        frame.hideTabs = !(fullscreen ? m_application->m_showTabsFullscreen : m_application->m_showTabs) ||
                         (fullscreen && m_rowSplits.empty() && m_colSplits.empty() && m_viewSet.views(0).size() == 1);
        frame.minimapOnLeft = m_application->m_minimapOnLeft;
        frame.minimapMaxWidth = m_application->m_minimapMaxWidth;
        bindGroupActions(frame);
        InputRegion* viewRegion = nullptr;
        done &= drawGroupGrid(frame, region, layout.groupArea, m_rowSplits, m_colSplits, &viewRegion);
        if (layout.hasToolbar) {
            // Toolbar commands reach the active view first; a click finds
            // that view's region again in the frame it lands in.
            ToolbarRunners runners;
            runners.viewRunner = viewRegion ? viewRegion->commandRunner() : nullptr;
            runners.windowRunner = &m_commandRunner;
            runners.currentViewRunner = [this]() -> CommandRunner* {
                slate::SP<TextBufferView> view = m_viewSet.activeView();
                if (!view || !root())
                    return nullptr;
                BaseWindow::RegionMap regions;
                BaseWindow::collectRegions(root(), regions);
                auto found = regions.find(RegionId(view.get()));
                return found == regions.end() ? nullptr : found->second->commandRunner();
            };
            done &= drawToolbarStrip(*frameTheme, region, layout.toolbar, m_toolbar.groups(), runners);
        }
        if (layout.hasPanel)
            done &= drawPanelArea(*frameTheme, region, layout.panel, *panel, m_panelHeights,
                                  [this] { m_panelHost.hidePanel(); });
        if (layout.hasStatusbar)
            done &= drawStatusBar(*frameTheme, region, layout.statusbar, m_viewSet.activeView(), this);
    }
    // With nothing focused (no view yet), the window's own region takes the
    // focus, so that window and application commands still find a path.
    FocusState* focus = focusState();
    if (focus->path().empty() && !focus->m_requested.isSet())
        focus->requestFocus(region->id());
    if (!m_postInitCommands.empty()) {
        for (const ustring& line : m_postInitCommands) {
            VLOG << u"Running post init command " << line;
            queueCommand(line);
        }
        m_postInitCommands.clear();
    }
    reportFrameToTestHook(m_viewSet.activeView().get());
    return done;
}
