// One platform window as the toolkit sees it. The window manager creates a
// window for a WindowHandler and hands it to the handler (its m_window); the
// handler and its controls reach the native window only through this
// interface, so the whole toolkit above it stays portable and can be driven
// by a test double. Main thread only.
#pragma once

#include "ui/platform.h"
#include "ui/menu_descriptor.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class Canvas;
class CommandRunner;
class DragHandler;
class MenuDescriptor;

class Window {
public:
    virtual ~Window() = default;
    // Asks the window to close; the handler is asked through canClose.
    virtual void close() = 0;
    // The canvas the window draws on; null while it has none.
    virtual Canvas* canvas() = 0;
    // Shows `menu` as a context menu at (x, y) in client pixels, refreshed
    // through `runner` (may be null), and waits until it closes. True, with
    // the chosen item's command line in `command`, when an item was chosen;
    // false, leaving `command` alone, when none was or `menu` is null.
    virtual bool showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner,
                               float x, float y, PopupMenuFlags flags) = 0;
    // The same at the pointer, with no flags.
    virtual bool showPopupMenuAtCursor(ustring& command, const slate::SP<MenuDescriptor>& menu,
                                       CommandRunner* runner) = 0;
    // Starts a drag: `handler` (owned from now on) takes every input until
    // one of its operations returns DragResult::End. A drag already active is
    // ended first.
    virtual void beginDrag(DragHandler* handler) = 0;
    virtual bool isFullscreen() = 0;
    virtual void setFullscreen(bool fullscreen) = 0;
    virtual void setTitle(const ustring& title) = 0;
    // Replaces the menu bar; null removes it.
    virtual void setMenu(const slate::SP<MenuDescriptor>& menu) = 0;
    // The window's position and state as text that createWindow accepts:
    // eleven comma-separated integers (full screen, then the system's
    // placement). Empty when it cannot be read.
    virtual ustring placement() = 0;
    // "OpenGL" or "DirectX"; empty while the window has no renderer.
    virtual ustring rendererName() = 0;
    // The native window (owner of message boxes and dialogs).
    virtual platform::WindowHandle nativeHandle() = 0;
};
