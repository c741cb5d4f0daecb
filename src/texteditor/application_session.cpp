// The application's two session files: the normal session, written when the
// user leaves in the ordinary way, and the autosave, written in the
// background while the user types (and by "hotExit") with the unsaved text
// of the buffers. At start the autosave, when there is one, wins.
//
// Every session file is written whole to a temporary file and renamed over
// its predecessor in one step, so there is never a moment without one: a
// crash during an autosave leaves the previous autosave. A session file
// that cannot be used at start is never deleted: it is reported, renamed
// aside for the user to look at, and the program starts without it.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "filesystem/file_manager.h"
#include "texteditor/application_settings.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/timer_queue.h"
#include "ui/unicode.h"
#include "window_manager/window.h"

namespace {

const char16_t kSessionPath[] = u"UserOptions/Session.vantrel-session";
const char16_t kAutoSavePath[] = u"UserOptions/Auto Save Session.vantrel-session";

// The most names tried when a refused session file is renamed aside.
constexpr int kMaxAsideNames = 100;

// Renames the file at the package path `path` to the first free name of
// "PATH.bad", "PATH.bad2", "PATH.bad3"...; the new package path, or empty
// when no rename worked.
ustring keepAside(const ustring& path)
{
    slate::FileManager& files = slate::FileManager::get();
    for (int number = 1; number <= kMaxAsideNames; ++number) {
        ustring aside = path + u".bad";
        if (number > 1)
            aside += toUstring(std::to_string(number));
        if (!files.exists(aside) && files.rename(path, aside))
            return aside;
    }
    return ustring();
}

// Reads the session file at the package path `path` into `settings` (a new
// record). True when it was read. A file that exists but cannot be used is
// reported to the user and renamed aside.
bool readSessionFile(const ustring& path, ApplicationSettings& settings)
{
    const ustring native = slate::FileManager::get().nativePath(path);
    if (native.empty())
        return false;
    ustring error;
    switch (settings.readFromFile(native, &error)) {
    case SessionReadResult::Read:
        return true;
    case SessionReadResult::Missing:
        return false;
    case SessionReadResult::Refused:
        break;
    }
    // The file stays for the user to look at (or mend), under a name that
    // the next start does not read.
    const ustring aside = keepAside(path);
    ustring message = error;
    if (!aside.empty())
        message += u" It was kept as \"" + slate::FileManager::get().nativePath(aside) + u"\".";
    VLOG << message;
    if (NotificationManager::alive())
        NotificationManager::get().displayError(message);
    return false;
}

// The application's lists and the session record's have the same names.
template <typename From, typename To>
void copyHistoryLists(const From& from, To& to)
{
    to.recentFiles = from.recentFiles;
    to.recentProjects = from.recentProjects;
    to.findHistory = from.findHistory;
    to.findLocationHistory = from.findLocationHistory;
    to.findIncludeHistory = from.findIncludeHistory;
    to.replaceHistory = from.replaceHistory;
    to.consoleHistory = from.consoleHistory;
}

} // namespace

void TextEditorApplication::addSessionCommands()
{
    m_commandMap.add("exit", [this](const CommandArguments&) { exit(); });
    m_commandMap.add("hotExit", [this](const CommandArguments&) { hotExit(); });
}

ustring TextEditorApplication::restoreSession(bool restore)
{
    ApplicationSettings settings;
    const bool forced = readSessionFile(ustring(kAutoSavePath), settings);
    // An autosave that could not be used leaves the normal session, read
    // as if there had been no autosave.
    if (!forced)
        readSessionFile(ustring(kSessionPath), settings);

    copyHistoryLists(settings, m_history);

    if (settings.windows.empty())
        return ustring();
    if (forced || restore || m_openPreviousFiles) {
        // The first record's window is made last, so it stands first.
        for (auto record = settings.windows.rbegin(); record != settings.windows.rend(); ++record) {
            if (TextEditorWindow* window = newWindow(record->position, false))
                window->readFromSettings(*record);
        }
    }
    return settings.windows.front().position;
}

bool TextEditorApplication::writeSession(const ustring& path, bool autosave)
{
    ApplicationSettings settings;
    copyHistoryLists(m_history, settings);
    const unsigned maximumSize = static_cast<unsigned>(std::max(m_autoSaveMaxFileSize, 0));
    for (const TextEditorWindow* window : m_windows)
        window->writeToSettings(settings.windows.emplace_back(), autosave, maximumSize);

    const ustring native = slate::FileManager::get().nativePath(path);
    if (native.empty())
        return false;
    createMissingFolders(native);
    return settings.writeToFile(native);
}

void TextEditorApplication::saveSession()
{
    ++m_sessionSaveCount;
    writeSession(ustring(kSessionPath), false);
    slate::FileManager::get().remove(ustring(kAutoSavePath));
}

void TextEditorApplication::autoSave()
{
    // The writer replaces the previous autosave by renaming its temporary
    // file over it, so the old one stays whole until the new one is.
    if (!writeSession(ustring(kAutoSavePath), true))
        VLOG << u"Failed to write autosave data";
}

void TextEditorApplication::queueAutoSave(int32_t delayMs)
{
    std::weak_ptr<TextEditorApplication*> lifetime = m_lifetime;
    setTimeout(
        [lifetime] {
            const auto application = lifetime.lock();
            // After the last window closed (or while "exit" closes them)
            // the normal session is the one that counts; an autosave now
            // would hide it at the next start.
            if (application && !(*application)->m_exiting && !(*application)->m_windows.empty())
                (*application)->autoSave();
        },
        delayMs);
}

void TextEditorApplication::scheduleAutoSave()
{
    if (!m_autoSaveEnabled)
        return;
    const uint32_t now = static_cast<uint32_t>(tickCount64());
    // The clock may wrap; the signed difference stays right across a wrap.
    const int32_t since = static_cast<int32_t>(now - m_lastAutoSaveSchedule);
    if (m_autoSaveScheduled && std::abs(static_cast<int64_t>(since)) < m_autoSaveInterval)
        return;
    m_autoSaveScheduled = true;
    m_lastAutoSaveSchedule = now;
    queueAutoSave(m_autoSaveInterval);
}

void TextEditorApplication::autoSaveSoon()
{
    if (m_autoSaveEnabled)
        queueAutoSave(0);
}

void TextEditorApplication::exit()
{
    m_exiting = true;
    saveSession();
    const std::vector<TextEditorWindow*> windows = m_windows;
    for (TextEditorWindow* window : windows) {
        if (!window->promptAllSaved()) {
            m_exiting = false;
            return;
        }
    }
    closeWindows(windows);
}

void TextEditorApplication::hotExit()
{
    autoSave();
    m_exiting = true;
    closeWindows(m_windows);
}

void TextEditorApplication::closeWindows(std::vector<TextEditorWindow*> windows)
{
    // Each close asks the window, which lets it go at once while exiting;
    // the list is a copy, since every close takes a window off m_windows.
    for (TextEditorWindow* window : windows) {
        if (window->m_window)
            window->m_window->close();
    }
}
