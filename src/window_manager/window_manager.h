// The process-wide window manager as the portable code sees it: it creates a
// top-level platform window for a WindowHandler, runs the message loop, keeps
// the named menus that dynamic menus show and talks to the clipboard. The
// Win32 implementation is Win32WindowManager; start-up creates it before any
// window and installs it with WindowManager::create, shutdown destroys it
// after the last window is gone. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/platform.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

class MenuDescriptor;
class WindowHandler;

class WindowManager : public Singleton<WindowManager> {
public:
    // createWindow flags.
    static constexpr int kTopmost = 1;

    // Installs `instance`, a platform's manager the caller built (owned from
    // now on); none may be installed yet.
    static void create(WindowManager* instance) { install(instance); }

    virtual ~WindowManager() = default;
    // Runs the message loop until the last window is gone; returns at once,
    // with a log line, when there is no window. Writes the statistics to the
    // log when the loop ends.
    virtual void run() = 0;
    // Creates a top-level window for `handler` with `menu` as its menu bar
    // (null for none) and the placement text of Window::placement (empty for
    // the default). `flags` takes kTopmost; `parent`, when given, is a
    // handler whose window becomes the native owner. On success the window
    // owns the handler and has set its m_rect, m_window and canvas; on
    // failure (logged and reported) the handler is still the caller's.
    virtual bool createWindow(const ustring& title, WindowHandler* handler, const slate::SP<MenuDescriptor>& menu,
                              const ustring& placement, int flags = 0, WindowHandler* parent = nullptr) = 0;
    // Repaints every window.
    virtual void invalidateAll() = 0;
    // Stores or replaces the menu named `name`, which dynamic menus show; a
    // null menu removes the name.
    virtual void setMenu(const ustring& name, const slate::SP<MenuDescriptor>& menu) = 0;
    // The menu named `name`; null when there is none.
    virtual slate::SP<MenuDescriptor> menu(const ustring& name) = 0;
    // Puts `text` (when not empty) on the clipboard, and `length` bytes of
    // `data` under the registered format `formatName` (when a name, data
    // and a length are given). False when the clipboard could not be used.
    virtual bool copyToClipboard(const ustring& text, const ustring& formatName, const void* data,
                                 size_t length) = 0;
    // Reads the clipboard's text into `text`, and the bytes stored under
    // `formatName` into `data` when both are given and such data is there.
    virtual bool copyFromClipboard(ustring& text, const ustring& formatName, std::vector<char>* data) = 0;
    // The native handle of the current window (the owner of message boxes);
    // null when there is none.
    virtual platform::WindowHandle mainWindowHandle() = 0;
};
