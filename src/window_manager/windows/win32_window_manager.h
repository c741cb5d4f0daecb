// The Win32 window manager: one native top-level window (AppWindow) per
// editor window, drawn by a window peer on Direct3D 9 or OpenGL, and the
// program's one message loop. This header is neutral; native handles cross
// it as platform::WindowHandle.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/interval2.h"
#include "window_manager/window_manager.h"
#include "window_manager/windows/native_menu.h"

class AppWindow;
class WindowPeer;

// The renderer a window peer draws with.
enum class RendererKind { Direct3D9, OpenGL };

// Makes a peer of that kind, not yet created on a window (the manager calls
// WindowPeer::create); null when this build has no such renderer.
WindowPeer* makeWindowPeer(RendererKind kind, bool useSwapChains);

class Win32WindowManager : public WindowManager {
public:
    // Constructor flags.
    static constexpr int kUseSwapChains = 1;
    static constexpr int kUseOpenGL = 2;
    // Keep the plug-in host's interpreter lock while waiting for messages.
    static constexpr int kKeepInterpreterLock = 4;

    using PeerFactory = std::function<WindowPeer*(RendererKind kind, bool useSwapChains)>;

    // Initialises COM for the main thread. Main thread only.
    explicit Win32WindowManager(int flags);
    // Every window must be gone.
    ~Win32WindowManager() override;

    void run() override;
    bool createWindow(const ustring& title, WindowHandler* handler, const slate::SP<MenuDescriptor>& menu,
                      const ustring& placement, int flags = 0, WindowHandler* parent = nullptr) override;
    void invalidateAll() override;
    void setMenu(const ustring& name, const slate::SP<MenuDescriptor>& menu) override;
    slate::SP<MenuDescriptor> menu(const ustring& name) override;
    bool copyToClipboard(const ustring& text, const ustring& formatName, const void* data,
                         size_t length) override;
    bool copyFromClipboard(ustring& text, const ustring& formatName, std::vector<char>* data) override;
    platform::WindowHandle mainWindowHandle() override;

    bool useSwapChains() const { return m_useSwapChains; }
    bool useOpenGL() const { return m_useOpenGL; }
    // Makes the peers of windows created from now on through `factory`
    // instead of makeWindowPeer (tests); an empty function goes back.
    void setPeerFactory(PeerFactory factory) { m_peerFactory = std::move(factory); }
    // The named menus and the dynamic popups of every window's menus.
    NativeMenuManagerState& menuState() { return m_menuState; }

    // The window list, the current window and the time base, which the free
    // functions below reach through the installed manager.
    const std::vector<AppWindow*>& appWindows() const { return m_appWindows; }
    void removeAppWindow(AppWindow* window);
    AppWindow* findAppWindow(platform::WindowHandle window) const;
    AppWindow* currentAppWindow() const { return m_currentWindow; }
    void setCurrentWindow(AppWindow* window);
    double windowTime();

private:
    // The first renderer that can be set up on `window`, the chosen one
    // first, then the other; null when neither can.
    WindowPeer* createPeer(platform::WindowHandle window);

    bool m_useSwapChains;
    bool m_useOpenGL;
    bool m_releaseInterpreterLock;
    bool m_comInitialised = false;
    PeerFactory m_peerFactory;
    NativeMenuManagerState m_menuState;

    std::vector<AppWindow*> m_appWindows; // live, in creation order; each owned by its native window
    AppWindow* m_currentWindow = nullptr; // one of m_appWindows, or null
    // The current window's native handle, for the owner of error boxes,
    // which is asked on the boxes' own threads.
    std::atomic<platform::WindowHandle> m_currentHandle{nullptr};
    bool m_haveTimeBase = false; // set by the first windowTime call
    uint32_t m_timeBase = 0;     // tick count of that call
};

// The functions below act on the installed Win32WindowManager; without one
// there is no window: the list is empty, lookups find nothing and changes
// are ignored.

// The live application windows in creation order. Main thread.
const std::vector<AppWindow*>& appWindows();
// Takes a window out of the live list (at WM_DESTROY, or when it could not
// get a renderer) and makes no window current. The queue's new target gets a
// wake-up of its own: one posted to this window dies with it.
void removeAppWindow(AppWindow* window);
// The live window with that native handle, or null.
AppWindow* findAppWindow(platform::WindowHandle window);
// The window whose message is being handled, or the last one; null when
// none is (or after the current one was destroyed).
AppWindow* currentAppWindow();
// Makes `window` current: its peer's context becomes current, and its native
// window becomes the target of the main-thread call queue and of directory
// change notices. Null makes no window current; the targets then move to the
// oldest live window, else to the hidden main-loop window, else to none.
void setCurrentWindow(AppWindow* window);
// {0, 0, client width, client height} of a native window.
interval2 clientRect(platform::WindowHandle window);
// The time in seconds fed to the handlers: since the first message any
// application window handled; 0 without a manager.
double windowTime();
