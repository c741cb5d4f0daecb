// The one application object. It owns the list of editor windows (each
// window itself is owned by its platform window), the application's command
// table and runner, the Application options values that every window reads,
// and the history lists the session carries. `main` constructs it once the
// toolkit's singletons exist, stores it in g_application, calls init, runs
// the message loop and deletes it afterwards.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "input/command_map.h"
#include "input/multi_command_runner.h"
#include "panels/history_list.h"
#include "ui/interval2.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class InputRegion;
class MenuDescriptor;
class TextEditorWindow;

// Package path of the Application options.
extern const char16_t kApplicationOptionsPath[];
// The theme every window has when the options name none.
extern const char16_t kDefaultThemePath[];
// The title of every editor window.
extern const char16_t kWindowTitle[];

// The most entries the recent files and the recent projects keep.
constexpr size_t kMaxRecentEntries = 32;

// The history lists the session carries, most recent first. File and
// project names compare without regard to case, as Windows compares them.
struct HistoryLists {
    HistoryList recentFiles{kMaxRecentEntries, true};
    HistoryList recentProjects{kMaxRecentEntries, true};
    HistoryList findHistory{kFieldHistoryMaximum, false};
    HistoryList findLocationHistory{kFieldHistoryMaximum, false};
    HistoryList findIncludeHistory{kFieldHistoryMaximum, false};
    HistoryList replaceHistory{kFieldHistoryMaximum, false};
    HistoryList consoleHistory{kFieldHistoryMaximum, false};
};

// Creates the folders on the way to the native file `nativeFile` that do
// not exist yet (a fresh data folder has none); what cannot be made is left
// for the write that follows to fail on.
void createMissingFolders(const ustring& nativeFile);

// A folder as projects name it: backslashes, and one at the end.
ustring normalizeDirectoryPath(const ustring& path);

class TextEditorApplication {
public:
    // In a development build (the program runs from its build tree) the
    // Application and User File Type options are never written at exit.
    // Needs the file manager, the options manager and the window manager.
    explicit TextEditorApplication(bool developmentBuild = false);
    // Writes the Application options (with the spelling session words) and
    // the User File Type options, except in a development build. Every
    // window must be gone.
    ~TextEditorApplication();
    TextEditorApplication(const TextEditorApplication&) = delete;
    TextEditorApplication& operator=(const TextEditorApplication&) = delete;

    // Applies and watches the Application options, links the file-type
    // options, opens `files` (file specs and folders) and, with no window
    // then, one window with an empty buffer; the target window runs
    // `commands` after its first frame. `project` and `restore` are for the
    // project and session code. False when no window could be made.
    bool init(const std::vector<ustring>& files, const std::vector<ustring>& commands, const ustring& project,
              bool restore);

    // Creates a window with the saved `placement` (empty: the default), puts
    // it first in the window list and, with `withEmptyFile`, gives it an
    // empty buffer. Null, with the window deleted, when the platform window
    // cannot be made.
    TextEditorWindow* newWindow(const ustring& placement, bool withEmptyFile);
    // The first window of the list (the last created or activated); null
    // when there is none.
    TextEditorWindow* activeWindow() const { return m_windows.empty() ? nullptr : m_windows.front(); }
    // Newest or last activated first, as windowActivated leaves it.
    const std::vector<TextEditorWindow*>& windows() const { return m_windows; }
    // Swaps `window` with the first entry: only the first entry follows
    // activation. Nothing for a window that is first or not in the list.
    void windowActivated(TextEditorWindow* window);
    // Removes `window` from the list, keeping the others' order. When it
    // was the last one, the message loop is asked to end.
    void windowDestroyed(TextEditorWindow* window);

    // Takes every option of the table that is present; an absent key keeps
    // the value it had, except "theme" and "keymap", which fall back to
    // their defaults. A new key map gives every window a new binding map.
    void applyOptions(const slate::SP<Options>& options);
    // Writes every option of the table except "keymap" (and the spelling
    // session words) into `options`, without notifying.
    void storeOptions(const slate::SP<Options>& options);

    // The arguments a second start handed over: switches and package files
    // skipped, "--command" and "--project" take the next argument, the rest
    // are files opened into the first window.
    void handleCommandLine(const std::vector<ustring>& arguments);
    // Opens each file spec into `window` (folders as its project) and
    // focuses the first view opened.
    void openFiles(const std::vector<ustring>& files, TextEditorWindow* window);

    // Gives `window` a new binding map with the current key map.
    void installBindingMap(TextEditorWindow* window);
    // The draw function of every window: adds the application's command
    // region under `root` and draws the window inside it.
    bool drawWindow(InputRegion* root, const interval2& rect, TextEditorWindow* window);

    // The session and the autosave (application_session.cpp).
    //
    // Writes every window (in list order) and the history lists as a
    // session file at the package path `path`; with `autosave`, unsaved
    // text up to "autoSaveMaxFileSize" characters goes in too. False, with
    // any previous file untouched, when it could not be written.
    bool writeSession(const ustring& path, bool autosave);
    // Writes the normal session and removes the autosave, whether the write
    // worked or not. Called when the user closes the last window and by
    // "exit" before its questions.
    void saveSession();
    // Writes the autosave session, with unsaved text, replacing the
    // previous autosave in one step; a failure is logged and leaves the
    // previous autosave as it was.
    void autoSave();
    // Called after key and character input: one autosave follows an
    // interval after the first input of a burst. Nothing while
    // "autoSaveEnabled" is off.
    void scheduleAutoSave();
    // Called by a window after it saved a file: an autosave as soon as the
    // current work is done. Nothing while "autoSaveEnabled" is off.
    void autoSaveSoon();
    // The command "exit": writes the normal session, asks every window
    // about its unsaved buffers and, unless the user cancels one, closes
    // every window without asking again. A cancel keeps every window.
    void exit();
    // The command "hotExit": writes the autosave (unsaved text included,
    // whatever "autoSaveEnabled" says) and closes every window without a
    // question; the next start restores from it.
    void hotExit();
    // How often saveSession ran.
    int sessionSaveCount() const { return m_sessionSaveCount; }

    // Replaces what ends the message loop once the last window is gone;
    // the program's start-up installs the loop's own. Null for nothing.
    void setQuitFunction(std::function<void(int exitCode)> quit) { m_quit = std::move(quit); }

    CommandMap& commandMap() { return m_commandMap; }
    // The runner of the application's input region: the plug-ins'
    // application runner (when there is one), then the command map.
    CommandRunner& commandRunner() { return m_commandRunner; }

    // The Application options values, read by every window.
    bool m_showMinimap = true;
    bool m_showStatusbar = true;
    bool m_showToolbar = false;
    bool m_showMinimapFullscreen = true;
    bool m_showStatusbarFullscreen = true;
    bool m_showToolbarFullscreen = false;
    bool m_showMenuFullscreen = true;
    bool m_showTabs = true;
    bool m_showTabsFullscreen = true;
    bool m_showProjectPanel = false;
    bool m_showCloseButton = false;
    bool m_showTabCloseButtons = true;
    bool m_openPreviousFiles = true;
    bool m_minimapOnLeft = true;
    float m_minimapMaxWidth = 175.0f;
    bool m_checkForUpdates = true;
    int m_autoSaveInterval = 5000;      // milliseconds
    int m_autoSaveMaxFileSize = 262144; // UTF-16 units; 0 for no limit
    bool m_autoSaveEnabled = true;
    // The theme's package path, given to every window.
    ustring m_theme;
    // The key map every window's binding map loads.
    ustring m_keymap;
    HistoryLists m_history;
    // Set while "exit" or "hotExit" closes the windows.
    bool m_exiting = false;
    // The main menu bar every window shows; null until loaded.
    slate::SP<MenuDescriptor> m_mainMenu;

private:
    // Reads the session at start: the autosave when there is one (and then
    // restores its windows whatever `restore` says), else the normal
    // session. Takes its history lists and, as `restore` and
    // "openPreviousFiles" ask, makes its windows. A file that cannot be
    // used is reported, renamed aside and restores nothing. Returns the
    // placement of the session's first window, or empty.
    ustring restoreSession(bool restore);
    // Closes these windows (a copy of the list) while m_exiting is set.
    void closeWindows(std::vector<TextEditorWindow*> windows);
    // The application commands "exit" and "hotExit".
    void addSessionCommands();
    // An autosave after `delayMs` milliseconds, which does nothing when the
    // application is gone by then or its windows are closing or gone.
    void queueAutoSave(int32_t delayMs);

    const bool m_developmentBuild;
    CommandMap m_commandMap;
    // The plug-ins' application commands; null while the plug-in host gives
    // none.
    std::unique_ptr<CommandRunner> m_pythonCommandRunner;
    MultiCommandRunner m_commandRunner;
    // Newest or last activated first; the windows are not owned.
    std::vector<TextEditorWindow*> m_windows;
    std::function<void(int)> m_quit;
    int m_sessionSaveCount = 0; // calls of saveSession
    // The tick of the last autosave scheduled; meaningless until
    // m_autoSaveScheduled.
    uint32_t m_lastAutoSaveSchedule = 0;
    bool m_autoSaveScheduled = false;
    // Pending autosaves hold this weakly and do nothing once the
    // application is gone.
    std::shared_ptr<TextEditorApplication*> m_lifetime;
    // The Application options the change listener was added to; null
    // before init.
    slate::SP<Options> m_applicationOptions;
};

// The application, set by `main` right after construction and cleared after
// destruction; null outside that span.
extern TextEditorApplication* g_application;
