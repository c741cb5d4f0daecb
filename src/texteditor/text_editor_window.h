// One top-level editor window: its views (through its ViewSet), its key
// bindings and command table, and the state its drawing keeps from frame to
// frame. The application creates windows; each is owned by its platform
// window and deleted with it. Plug-ins hold a window only through its
// counted Reference, which outlives the window and then answers null.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "controls/tab_control.h"
#include "input/command_map.h"
#include "input/multi_command_runner.h"
#include "texteditor/toolbar.h"
#include "texteditor/view_set.h"
#include "texteditor/window_title.h"
#include "ui/base_window.h"
#include "ui/reference_counted.h"
#include "ui/text/encoding.h"
#include "ui/ustring.h"

class TextEditorApplication;

class TextEditorWindow : public BaseWindow {
public:
    // Flags of openFileCore.
    static constexpr int kOpenReuseView = 1;     // show a view that already has the file
    static constexpr int kOpenCreateMissing = 2; // a missing file becomes a new buffer bound to its path
    static constexpr int kOpenFromUser = kOpenReuseView | kOpenCreateMissing; // dialogs, drops, command line

    // A counted handle of a window. `window` is null once the window is
    // gone; holders must check it on every use.
    struct Reference : slate::ReferenceCounted<Reference> {
        TextEditorWindow* window = nullptr;
    };

    // `application` owns the window list and outlives every window. The
    // platform window is attached afterwards (TextEditorApplication::newWindow).
    explicit TextEditorWindow(TextEditorApplication* application);
    ~TextEditorWindow() override;

    // The id plug-ins see; taken from the counter that numbers buffers and
    // views too.
    uint32_t id() const { return m_id; }
    slate::SP<Reference> reference() const { return m_reference; }
    // The active view of the active group; null when that group is empty.
    slate::SP<TextBufferView> activeView() const { return m_viewSet.activeView(); }
    TextEditorApplication* application() const { return m_application; }
    ViewSet& viewSet() { return m_viewSet; }
    const ViewSet& viewSet() const { return m_viewSet; }
    CommandMap& commandMap() { return m_commandMap; }
    // The toolbar's buttons, loaded once the window has a canvas.
    const Toolbar& toolbar() const { return m_toolbar; }
    // The runner of the window's input region: the plug-ins' window runner
    // (when there is one), then the command map.
    CommandRunner& windowCommandRunner() { return m_commandRunner; }

    // Opening files. The view returned belongs to the window's view set;
    // null when nothing was opened.
    //
    // A new empty buffer in a new tab, made active.
    slate::SP<TextBufferView> newFile();
    // Opens `path` (read on a thread through the buffer's file source) in a
    // new tab, or with kOpenReuseView focuses a tab that has it. A missing
    // file opens as an empty modified buffer bound to the path with
    // kOpenCreateMissing, and fails (with an error shown) without it.
    slate::SP<TextBufferView> openFileCore(const ustring& path, FileEncoding encoding, int flags);
    // openFileCore of the path of a file spec (see file_spec.h); once the
    // file is read the caret goes to the spec's line and column and is
    // shown.
    slate::SP<TextBufferView> openFileSpec(const ustring& spec, FileEncoding encoding, int flags);
    // Opens a folder as the window's project. The project is not part of
    // the window yet: false, with a log line.
    bool openProject(const ustring& path);
    // Puts a project folder first in the application's recent projects.
    void addRecentProject(const ustring& path);

    // One frame of the window's content inside `rect`, under `parent` (the
    // application's command region). The flags say which parts to show.
    // Runs the start-up commands on the first frame. False while something
    // animates.
    bool draw(InputRegion* parent, const interval2& rect, bool showMinimap, bool showToolbar,
              bool showStatusbar, bool showCloseButton, bool showTabCloseButtons);
    using BaseWindow::draw;
    // Sets the layout type (0 to 5, see window_layout.h); others are ignored.
    // Split lists of the length the type needs keep their values.
    void setLayout(int type);

    // Sets the platform window's title for `view` (the active view, or
    // null) and the project, when any of what the title shows changed since
    // the last call. Called at the start of every frame.
    void updateTitle(const slate::SP<TextBufferView>& view);
    // Whether the platform window fills the screen; false before it exists.
    bool isFullScreen() const;

    // Re-reads what the window takes from the Application options.
    void applyApplicationOptions();

    // WindowHandler.
    void setCanvas(Canvas* canvas) override;
    bool onKeyOrButton(const KeyEvent& event) override;
    bool onCharacter(const CharacterEvent& event) override;
    void onCommandLine(const std::vector<ustring>& arguments) override;
    void onActivate() override;

    // Command lines the application queues at start-up; the first frame
    // runs them in order and empties the list.
    std::vector<ustring> m_postInitCommands;

    // The group layout: its type and its row and column splits, fractions of
    // the group area from its top (left) edge in increasing order; the
    // splitters change them in place.
    int m_layoutType = 0;
    std::vector<float> m_rowSplits;
    std::vector<float> m_colSplits;
    // Bottom panel heights by panel name, and the project side bar's width
    // under "project"; 0 until first set.
    std::map<ustring, float> m_panelHeights;

private:
    // A new view of `buffer` with its options chained for `fileName`;
    // addBufferView also puts it into a new tab.
    slate::SP<TextBufferView> createBufferView(const slate::SP<TextBuffer>& buffer, const ustring& fileName);
    slate::SP<TextBufferView> addBufferView(const slate::SP<TextBuffer>& buffer, const ustring& fileName);
    void registerCommands();

    const uint32_t m_id;
    slate::SP<Reference> m_reference; // set for the window's whole life
    TextEditorApplication* m_application;
    TabStripMap m_tabState; // read and written by the view set and the tab strips
    ViewSet m_viewSet;
    CommandMap m_commandMap;
    // The plug-ins' window commands; null while the plug-in host gives none.
    std::unique_ptr<CommandRunner> m_pythonCommandRunner;
    MultiCommandRunner m_commandRunner;
    Toolbar m_toolbar;
    // What the title was last set from; empty until the first frame.
    std::optional<TitleState> m_titleCache;
};
