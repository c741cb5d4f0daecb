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
#include "panels/find_settings.h"
#include "texteditor/panel_host.h"
#include "texteditor/toolbar.h"
#include "texteditor/view_set.h"
#include "texteditor/window_title.h"
#include "ui/base_window.h"
#include "ui/reference_counted.h"
#include "ui/text/encoding.h"
#include "ui/ustring.h"

class TextEditorApplication;
struct GroupFrame;
struct WindowSettings;

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
    PanelHost& panelHost() { return m_panelHost; }
    CommandMap& commandMap() { return m_commandMap; }
    // The toolbar's buttons, loaded once the window has a canvas.
    const Toolbar& toolbar() const { return m_toolbar; }
    // The runner of the window's input region: the plug-ins' window runner
    // (when there is one), then the command map.
    CommandRunner& windowCommandRunner() { return m_commandRunner; }

    // Opening and creating files (window_open.cpp). The view returned
    // belongs to the window's view set; null when nothing was opened.
    // Positions are 1-based lines and columns, -1 for none.
    //
    // A new untitled buffer with its views, the active tab of the active
    // group; `syntaxPath` empty means plain text.
    slate::SP<TextBufferView> newFile(const ustring& syntaxPath = ustring());
    // Opens `path` (read on the buffer's reader thread) into `group`, or
    // with kOpenReuseView focuses a view that already shows it. A missing
    // file becomes an empty modified buffer bound to the path with
    // kOpenCreateMissing; anything that cannot be opened is reported once,
    // naming the file, and gives null. `syntaxPath`, when not empty,
    // replaces the file-type lookup.
    slate::SP<TextBufferView> openFileCore(const ustring& path, FileEncoding encoding, int group, int row,
                                           int column, int flags, const ustring& syntaxPath);
    slate::SP<TextBufferView> openFile(const ustring& path, FileEncoding encoding, int flags);
    slate::SP<TextBufferView> openFileAtPosition(const ustring& path, int row, int column);
    // A path, optionally followed by ":line" or ":line:column" (file_spec.h).
    slate::SP<TextBufferView> openFileSpec(const ustring& spec, FileEncoding encoding, int flags);
    // The open dialog; true when files were chosen (and opened).
    bool showOpenDialog(FileEncoding encoding);
    // The views of a buffer: the main view (returned) and its minimap, added
    // to `group` as its active tab; options from `syntaxPath` when given,
    // else from `fileName`.
    slate::SP<TextBufferView> createViews(const slate::SP<TextBuffer>& buffer, int group, const ustring& fileName,
                                          const ustring& syntaxPath);
    void connectBufferEvents(const slate::SP<TextBuffer>& buffer);
    void connectViewEvents(const slate::SP<TextBufferView>& view);
    // The list menu of a group's tab strip, at (x, y), and the context menu
    // of a tab.
    void showTabListMenu(int group, float x, float y);
    void showTabContextMenu(const slate::SP<TextBufferView>& view);
    // Loads the menu file at the package path `menuPath`, shows it at the
    // pointer and runs the chosen line through `runner`; a menu that cannot
    // be loaded is reported instead.
    void showContextMenu(const ustring& menuPath, CommandRunner& runner);
    // Gives the group drawing the window's tab menus and pane regions.
    void bindGroupActions(GroupFrame& frame);

    // Saving and reloading (window_save.cpp).
    //
    // Saves the view's buffer to its file (an untitled one through saveAs).
    // False when nothing was saved: refused, cancelled or failed (the
    // failure is reported, the file on disk untouched).
    bool saveView(const slate::SP<TextBufferView>& view);
    // Asks for a new name and saves there; encoding 0 keeps the buffer's.
    bool saveAs(const slate::SP<TextBufferView>& view, FileEncoding encoding);
    // Every modified view in view-set order, stopping at the first that is
    // not saved; the second skips buffers without a file.
    bool saveAll();
    bool saveAllWithFiles();
    // The changed-on-disk check run when a view is activated.
    void checkReload(const slate::SP<TextBufferView>& view);

    // Closing views and windows (window_close.cpp). Each returns false when
    // the user kept a view (Cancel, or a save that did not happen); what was
    // closed before stays closed.
    //
    // The Save Changes? question for the view's buffer.
    bool askSaveChanges(const slate::SP<TextBufferView>& view);
    bool closeView(const slate::SP<TextBufferView>& view);
    bool closeActiveView();
    bool closeActiveViewOfGroup(int group);
    bool closeAll();
    bool closeOthersInGroup(const slate::SP<TextBufferView>& view);
    bool closeToRightOf(const slate::SP<TextBufferView>& view);
    // Asks about every view whose buffer has unsaved changes (an empty
    // untitled one too), showing each in turn; closes nothing. False when
    // the user cancelled.
    bool promptAllSaved();

    // Clones and file types (window_clone.cpp).
    //
    // A second view of `view`'s buffer, with its own minimap, as the active
    // tab of `group`; it shares `view`'s options object. Null without a view
    // or for a group the layout does not use.
    slate::SP<TextBufferView> cloneView(const slate::SP<TextBufferView>& view, int group);
    // The clone into the group after the active one (layout 2 from 0).
    void cloneIntoNextGroup(const slate::SP<TextBufferView>& view);
    // Re-parents the options of every view of `buffer` for its new syntax.
    void onBufferSyntaxChanged(TextBuffer* buffer);

    // The session (window_session.cpp).
    //
    // Fills `settings` (a new record) with the window's placement, layout,
    // panel sizes, groups, views and their buffers, each buffer once. With
    // `autosave`, the text of a buffer shorter than `maximumSize` UTF-16
    // units (any size for 0) is stored when it is unsaved, and untitled
    // buffers are kept; otherwise views of untitled buffers are left out.
    // Changes nothing in the window.
    void writeToSettings(WindowSettings& settings, bool autosave, unsigned maximumSize) const;
    // Rebuilds the window from `settings`: once, on a window that has its
    // canvas and no views yet. Files are read in the background; stored
    // text replaces a file's text when its read ends, as one undoable step.
    // A view naming no buffer record is left out with a log line.
    void readFromSettings(const WindowSettings& settings);

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

    // The find state shared by the window's find, incremental find and
    // replace panels, and the window's side of them (window_find.cpp).
    FindSettings& findSettings() { return m_findSettings; }
    // The "incrementalFind" and "reverseIncrementalFind" commands: set the
    // direction (notifying the Application options when it changes) and
    // show the incremental find panel, or find the next match when it is
    // already shown and focused.
    void incrementalFind(bool reverse);

    // WindowHandler.
    void setCanvas(Canvas* canvas) override;
    bool onKeyOrButton(const KeyEvent& event) override;
    bool onCharacter(const CharacterEvent& event) override;
    void onCommandLine(const std::vector<ustring>& arguments) override;
    void onActivate() override;
    bool onDropFile(float x, float y, const uchar* path) override;
    bool canClose() override;

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
    // The view of the window showing the buffer `name` addresses (an
    // "<untitled N>" name or a file path, letter case aside); null when none.
    slate::SP<TextBufferView> findOpenView(const ustring& name) const;
    // The main view with this id, or the first main view of `buffer`; null
    // when the window has none.
    slate::SP<TextBufferView> viewWithId(uint32_t viewId) const;
    slate::SP<TextBufferView> firstViewOf(const TextBuffer* buffer) const;
    void registerCommands();
    // The owner of the window's dialogs and questions; null before the
    // platform window exists.
    platform::WindowHandle dialogOwner() const;
    // Tells the plug-ins of a view event ("onNew", "onClose", "onClone",
    // "onLoad", ...). There is no plug-in host yet: nothing to tell.
    void notifyPlugins(const ustring& event, const slate::SP<TextBufferView>& view);
    // The command table's groups, each in the file of its part.
    void addFileCommands();     // window_open.cpp
    void addSaveCommands();     // window_save.cpp
    void addCloseCommands();    // window_close.cpp
    // Closes `views`: first, in order, each one whose buffer needs saving,
    // asking about it; then the others without a question, the last first.
    // False at the first view the user keeps, which stays in front; the
    // views after it stay open (window_close.cpp).
    bool closeViews(std::vector<slate::SP<TextBufferView>> views);
    void addCloneCommands();    // window_clone.cpp
    void addWindowCommands();   // window_commands.cpp: the rest of the table
    // window_find.cpp: constructs the panels that search with the find
    // settings and registers their commands; called once by the constructor.
    void addFindPanels();
    // Reloads the find flags and tells the find panels; called on every
    // change of the Application options.
    void reloadFindSettings();
    // Once a frame, before the panel area is drawn: moves the target of the
    // find settings to the active view while a find panel is visible and
    // runs one step of pending highlighting. False while highlighting is
    // still pending, so that another frame follows.
    bool updateFindTarget();
    // "closeWindow" and "toggleFullScreen", once there is a platform window.
    void addPlatformWindowCommands(); // window_commands.cpp

    const uint32_t m_id;
    slate::SP<Reference> m_reference; // set for the window's whole life
    TextEditorApplication* m_application;
    TabStripMap m_tabState; // read and written by the view set and the tab strips
    ViewSet m_viewSet;
    // Outlives the panels that point at it, which the panel host owns.
    FindSettings m_findSettings;
    // The bottom panels and overlays and their commands; keeps its heights
    // in m_panelHeights.
    PanelHost m_panelHost;
    CommandMap m_commandMap;
    // The plug-ins' window commands; null while the plug-in host gives none.
    std::unique_ptr<CommandRunner> m_pythonCommandRunner;
    MultiCommandRunner m_commandRunner;
    Toolbar m_toolbar;
    // What the title was last set from; empty until the first frame.
    std::optional<TitleState> m_titleCache;
};
