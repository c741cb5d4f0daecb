// One application window: a native top-level window of the class
// "VTMainWindowClass" (kMainWindowClassName) that owns a WindowHandler, the handler's active drag
// and the window peer that draws it. The window procedure turns the native
// messages into the handler's events; this header is neutral, the native
// handle crosses it as platform::WindowHandle. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/input_region.h"
#include "window_manager/input_translation.h"
#include "window_manager/window.h"
#include "window_manager/window_peer.h"
#include "window_manager/window_placement.h"
#include "window_manager/windows/native_menu.h"

class Win32WindowManager;

class AppWindow : public Window {
public:
    AppWindow(platform::WindowHandle window, Win32WindowManager* manager);
    // Deletes the drag, the handler and then the peer.
    ~AppWindow() override;
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // Window.
    void close() override;
    Canvas* canvas() override;
    bool showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner, float x,
                       float y, PopupMenuFlags flags) override;
    bool showPopupMenuAtCursor(ustring& command, const slate::SP<MenuDescriptor>& menu,
                               CommandRunner* runner) override;
    void beginDrag(DragHandler* handler) override;
    bool isFullscreen() override { return m_fullscreen; }
    void setFullscreen(bool fullscreen) override;
    void setTitle(const ustring& title) override;
    void setMenu(const slate::SP<MenuDescriptor>& menu) override;
    ustring placement() override;
    ustring rendererName() override;
    platform::WindowHandle nativeHandle() override { return m_hwnd; }

    // Deletes the drag handler and releases the mouse capture.
    void endDrag();
    // Repaints the whole client area (without erasing).
    void invalidate();

    platform::WindowHandle m_hwnd;
    // Null until createWindow succeeds; deleted with the window.
    std::unique_ptr<WindowHandler> m_handler;
    // The active drag; null when none.
    std::unique_ptr<DragHandler> m_drag;
    // Null until a renderer was set up.
    std::unique_ptr<WindowPeer> m_peer;
    Win32WindowManager* m_manager;
    bool m_fullscreen = false;
    // The window before full screen: its rect, style and placement.
    int32_t m_savedRect[4] = {0, 0, 0, 0};
    uint32_t m_savedStyle = 0;
    WindowPlacement m_savedPlacement;
    // The items of the menu bar, by command id, and its dynamic and hidden
    // items.
    NativeMenuWindowState m_menuState;
    // Whether the handler consumed the last key message.
    bool m_lastKeyConsumed = false;
    // Tells a third left click from a new one.
    ClickSequence m_clicks;

    // How many calls of the window procedure for this window are running.
    // A window destroyed inside one of them (a modal loop, a queued call)
    // is deleted only when the outermost returns, so that the code it
    // returns to still finds its handler and peer.
    int m_procedureDepth = 0;
    // WM_DESTROY has arrived; the window is no longer live.
    bool m_destroyed = false;
};

// The window procedure of application windows, reached from the message loop
// with key messages before they are translated: a non-zero result means not
// consumed (translate it).
intptr_t callAppWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Reads placement text (Window::placement) over the native window's current
// placement and applies it, all but the full-screen flag. Fields the text
// does not supply keep the window's values; a minimised placement opens
// shown at its restored rect.
void applyPlacementText(platform::WindowHandle window, const ustring& text);
// Registers the window class once per process; false when that fails.
bool registerAppWindowClass();
// Makes sure the native window runs the application window procedure, also
// when another module of the process registered the class first.
void useAppWindowProcedure(platform::WindowHandle window);
