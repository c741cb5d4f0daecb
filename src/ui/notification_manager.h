// The program's one channel for short messages to the user: the status text
// that the status bar shows for a few seconds, the hint of the control under
// the pointer, and error messages in message boxes. It is the first
// singleton start-up creates and the last one shutdown destroys, so any code
// may report through it; code that can run outside that span, or on a worker
// thread during shutdown, tests `alive` first.
#pragma once

#include <cstdint>
#include <functional>

#include "ui/critical_section.h"
#include "ui/platform.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

// Shows a modal error box (an error icon, `caption`, `text`) owned by `owner`
// (null: no owner) and returns when the user has closed it. The Win32 build
// uses the system's message box; the native build writes the texts to
// standard error and returns at once. Any thread.
void showErrorBox(platform::WindowHandle owner, const ustring& caption, const ustring& text);

class NotificationManager : public Singleton<NotificationManager> {
public:
    // How an error box is shown; the default is showErrorBox. Runs on the
    // box's own thread for displayError, so it must be safe on any thread.
    using ErrorBoxFunction =
        std::function<void(platform::WindowHandle owner, const ustring& caption, const ustring& text)>;
    // A 32-bit millisecond tick count that may wrap; the default is the
    // platform's. Called on whichever thread reports.
    using ClockFunction = std::function<uint32_t()>;
    // The window that should own error boxes, or null; asked on the
    // reporting thread for each box that is shown.
    using OwnerWindowFunction = std::function<platform::WindowHandle()>;

    // Status text lives this long after it was set.
    static constexpr uint32_t kStatusLifetimeMs = 5000;
    // The same error text again within this time after its last report is
    // dropped (and moves the quiet period on).
    static constexpr uint32_t kErrorRepeatQuietMs = 2000;

    // `title` is the caption of error boxes; empty gives "Error".
    explicit NotificationManager(const ustring& title);
    ~NotificationManager() = default;
    NotificationManager(const NotificationManager&) = delete;
    NotificationManager& operator=(const NotificationManager&) = delete;

    // Installs the singleton: takes ownership of a constructed instance (none
    // may be installed). Start-up, main thread.
    static void set(NotificationManager* instance);

    // Replaceable parts, for the window manager (the owner of boxes) and for
    // tests. Set them before any thread reports; an empty function restores
    // the default.
    void setErrorBoxFunction(ErrorBoxFunction function);
    void setClock(ClockFunction clock);
    // Safe while other threads report; the window manager sets it when it is
    // created and clears it (empty function) before it goes.
    void setOwnerWindowFunction(OwnerWindowFunction function);

    // What the control under the pointer does. Main thread.
    const ustring& hint() const { return m_hint; }
    void setHint(const slate::usubstring& hint);

    // The status text, emptied first when more than kStatusLifetimeMs have
    // passed since it was set: it disappears at the first read after that.
    // Nothing is repainted on expiry. Main thread.
    const ustring& status();
    void setStatus(const ustring& text);
    void clearStatus();

    // Reports an error without waiting: the text goes to the debug output
    // ("ERROR: " and the text) and, unless it repeats the last error within
    // kErrorRepeatQuietMs, into an error box shown by a thread of its own.
    // Any thread; returns at once and never fails (a box that cannot be shown
    // is not reported).
    void displayError(const ustring& text);
    // The same on the calling thread: returns when the user has closed the
    // box, and the quiet period for a repeat counts from that moment. For
    // start-up, when the program cannot go on. Main thread.
    void displayBlockingError(const ustring& text);

private:
    uint32_t now() const;
    // Under m_lock: true when `text` repeats the last error within the quiet
    // period (which then restarts); otherwise records it and gives the
    // caption and owner for its box.
    bool takeError(const ustring& text, ustring& caption, platform::WindowHandle& owner);

    ustring m_title; // caption of error boxes; never changes
    ustring m_hint;
    ustring m_status;
    uint32_t m_statusTime = 0; // tick of the last setStatus
    ClockFunction m_clock;
    ErrorBoxFunction m_errorBox;

    // Guards the error state below; never held while a box is shown.
    CriticalSection m_lock;
    ustring m_lastError;           // last error shown or dropped
    uint32_t m_lastErrorTime = 0;  // tick of its last report (or of closing its blocking box)
    OwnerWindowFunction m_ownerWindow;

};
