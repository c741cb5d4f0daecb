// The bottom panels and the overlays of one editor window: which of each is
// visible, the heights remembered per panel, the keyboard focus between a
// panel and the active view, and the result set the window steps through.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "texteditor/overlay.h"
#include "ui/ustring.h"

class ArenaAllocator;
class CommandMap;
class DialogPanel;
class ResultSet;

// Owned by its window and living as long as it. Owns the panels and the
// overlays added to it. Main thread only.
class PanelHost {
public:
    // What the host asks of its window. Either may be empty (then the panel
    // area never has focus, and hiding moves no focus).
    struct WindowHooks {
        // Whether the panel area's input region lies on the window's focus
        // path.
        std::function<bool()> panelAreaHasFocus;
        // Requests focus for the active view's text region; does nothing
        // when the window has no active view.
        std::function<void()> focusActiveView;
    };

    // Fills the "quick" overlay with a list and shows it: key, command to
    // run with the chosen argument, arguments, display strings (both view
    // text in the arena, which the callee takes over) and flags.
    using QuickPanelFunction =
        std::function<void(const ustring& key, const ustring& command, std::vector<slate::usubstring> arguments,
                           std::vector<slate::usubstring> display, std::unique_ptr<ArenaAllocator> arena,
                           unsigned flags)>;

    // `heights` is the window's map of remembered heights by panel name; it
    // must outlive the host.
    PanelHost(std::map<ustring, float>& heights, WindowHooks hooks);
    ~PanelHost();
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;

    // Takes the panel, keyed by its name; a second panel of the same name
    // replaces the first, which must not be visible.
    void addPanel(std::unique_ptr<DialogPanel> panel);
    // The panel of that name; null when there is none.
    DialogPanel* panel(const ustring& name) const;
    // Calls `visit` on every panel, in name order.
    void forEachPanel(const std::function<void(DialogPanel&)>& visit) const;
    // The visible panel; null when none is.
    DialogPanel* currentPanel() const { return m_currentPanel; }

    // Makes the panel visible (hiding the visible one first, even when it is
    // the same) and raises its remembered height to its minimum height when
    // it is resizable.
    void showPanel(DialogPanel* panel);
    // As showPanel, except that asking for the visible, focused panel hides
    // it unless its onShowAgain keeps it open.
    void showPanelFocused(DialogPanel* panel);
    // Hides the visible panel, if any, and gives the focus back to the view.
    void hidePanel();
    // Whether the panel is the visible one and the panel area has focus.
    bool isPanelFocused(const DialogPanel* panel) const;

    // Takes the overlay under `name`; as for panels, a replaced one must not
    // be visible.
    void addOverlay(const ustring& name, std::unique_ptr<Overlay> overlay);
    // The overlay of that name; null when there is none.
    Overlay* overlay(const ustring& name) const;
    Overlay* currentOverlay() const { return m_currentOverlay; }
    // Hides the visible overlay (even when it is this one) and shows this
    // one. The caller fills the overlay before.
    void showOverlay(Overlay* overlay);
    // Hides the visible overlay, if any, and gives the focus back to the
    // view.
    void hideOverlay();

    // The result set "nextResult" and "prevResult" step through; not owned,
    // null before the first call. Never cleared.
    void setResultSet(ResultSet* resultSet) { m_resultSet = resultSet; }
    ResultSet* resultSet() const { return m_resultSet; }

    // Where "chooseSnippet" hands its list; until it is set, the command
    // does nothing.
    void setQuickPanelFunction(QuickPanelFunction function) { m_showQuickPanel = std::move(function); }

    // The description the snippet store keeps for a snippet path (the
    // window asks SnippetManager::findSnippet); empty for none. The text
    // must stay valid for the call.
    using SnippetDescriptionFunction = std::function<slate::usubstring(const ustring& path)>;

    // Registers "showPanel", "hidePanel", "hideOverlay", "nextResult",
    // "prevResult" and "chooseSnippet" in the window's map. The host must
    // outlive the map's use of them.
    void registerCommands(CommandMap& map, SnippetDescriptionFunction describeSnippet);

    // The "showPanel" command: the panel named by the first argument, with
    // the focus test unless the second is "nofocus" (then a toggle).
    // Missing arguments and unknown names do nothing.
    void showPanelCommand(const std::vector<slate::usubstring>& arguments);
    // Its check mark.
    bool isShowPanelChecked(const std::vector<slate::usubstring>& arguments) const;
    // The "chooseSnippet" command: offers the snippets at these paths (their
    // descriptions, or the path for one without) in the quick panel.
    void chooseSnippet(const std::vector<slate::usubstring>& paths, const SnippetDescriptionFunction& describeSnippet);

private:
    std::map<ustring, float>& m_heights;
    WindowHooks m_hooks;
    std::map<ustring, std::unique_ptr<DialogPanel>> m_panels;
    // One of m_panels, or null.
    DialogPanel* m_currentPanel = nullptr;
    std::map<ustring, std::unique_ptr<Overlay>> m_overlays;
    // One of m_overlays, or null.
    Overlay* m_currentOverlay = nullptr;
    // Owned by one of the panels, which outlive the host's use of it.
    ResultSet* m_resultSet = nullptr;
    QuickPanelFunction m_showQuickPanel;
};
