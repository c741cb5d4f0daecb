// The Win32 window manager. It keeps the process-wide list of application
// windows and the current one, creates windows (native window, placement,
// then a renderer: the chosen one, else the other), and runs the program's
// one message loop. The current window follows every message a window
// handles, and the main-thread call queue and directory-change notices are
// aimed at it, so they always reach a live window of the loop.
#define NOMINMAX
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>

#include "filesystem/directory_watcher.h"
#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "window_manager/windows/clipboard.h"
#include "ui/menu_descriptor.h"
#include "window_manager/windows/single_instance.h"
#include "window_manager/main_loop.h"
#include "window_manager/window_peer.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/win32_window_manager.h"

namespace {

const int kInitialClientWidth = 640;
const int kInitialClientHeight = 480;

HWND nativeHandle(AppWindow* window)
{
    return window ? static_cast<HWND>(window->m_hwnd) : nullptr;
}

// The installed manager; null when there is none.
Win32WindowManager* installedManager()
{
    return WindowManager::alive() ? static_cast<Win32WindowManager*>(&WindowManager::get()) : nullptr;
}

// Two scroll bars outside the client area: they never show, but pointing
// devices that scroll through scroll-bar messages reach the window procedure
// as WM_HSCROLL and WM_VSCROLL.
void createHiddenScrollBars(HWND window)
{
    struct Bar {
        DWORD style;
        int x, y, width, height;
    };
    const Bar bars[] = {{0, 0, -100, 100, 10}, {SBS_VERT, -100, 0, 10, 100}};
    for (const Bar& bar : bars) {
        HWND scrollBar = CreateWindowExW(0, u"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | bar.style, bar.x, bar.y,
                                         bar.width, bar.height, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!scrollBar)
            continue;
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = 100;
        info.nPage = 5;
        info.nPos = 50;
        SetScrollInfo(scrollBar, SB_CTL, &info, FALSE);
    }
}

} // namespace

void removeAppWindow(AppWindow* window)
{
    if (Win32WindowManager* manager = installedManager())
        manager->removeAppWindow(window);
}

const std::vector<AppWindow*>& appWindows()
{
    static const std::vector<AppWindow*> kNone;
    Win32WindowManager* manager = installedManager();
    return manager ? manager->appWindows() : kNone;
}

AppWindow* findAppWindow(platform::WindowHandle window)
{
    Win32WindowManager* manager = installedManager();
    return manager ? manager->findAppWindow(window) : nullptr;
}

AppWindow* currentAppWindow()
{
    Win32WindowManager* manager = installedManager();
    return manager ? manager->currentAppWindow() : nullptr;
}

void setCurrentWindow(AppWindow* window)
{
    if (Win32WindowManager* manager = installedManager())
        manager->setCurrentWindow(window);
}

interval2 clientRect(platform::WindowHandle window)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(static_cast<HWND>(window), &client);
    return interval2(0, 0, float(client.right - client.left), float(client.bottom - client.top));
}

double windowTime()
{
    Win32WindowManager* manager = installedManager();
    return manager ? manager->windowTime() : 0.0;
}

Win32WindowManager::Win32WindowManager(int flags)
    : m_useSwapChains((flags & kUseSwapChains) != 0),
      m_useOpenGL((flags & kUseOpenGL) != 0),
      m_releaseInterpreterLock((flags & kKeepInterpreterLock) == 0)
{
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_comInitialised = SUCCEEDED(result);
    if (NotificationManager::alive())
        NotificationManager::get().setOwnerWindowFunction(
            [this] { return m_currentHandle.load(); });
}

Win32WindowManager::~Win32WindowManager()
{
    VASSERT(m_appWindows.empty());
    if (NotificationManager::alive())
        NotificationManager::get().setOwnerWindowFunction(nullptr);
    if (m_comInitialised)
        CoUninitialize();
}

void Win32WindowManager::run()
{
    if (m_appWindows.empty()) {
        VLOG << u"No AppWindows, nothing to run!";
        return;
    }
    runMessageLoop(m_releaseInterpreterLock);
}

WindowPeer* Win32WindowManager::createPeer(platform::WindowHandle window)
{
    const RendererKind order[2] = {
        m_useOpenGL ? RendererKind::OpenGL : RendererKind::Direct3D9,
        m_useOpenGL ? RendererKind::Direct3D9 : RendererKind::OpenGL,
    };
    for (RendererKind kind : order) {
        const char16_t* name = kind == RendererKind::OpenGL ? u"OpenGL" : u"Direct3D 9";
        WindowPeer* peer = m_peerFactory ? m_peerFactory(kind, m_useSwapChains) : makeWindowPeer(kind, m_useSwapChains);
        if (!peer) {
            VLOG << name << u" is not available";
            continue;
        }
        if (peer->create(window))
            return peer;
        VLOG << u"Unable to set up " << name << u" on the window";
        delete peer;
    }
    return nullptr;
}

bool Win32WindowManager::createWindow(const ustring& title, WindowHandler* handler,
                                      const slate::SP<MenuDescriptor>& menu, const ustring& placement, int flags,
                                      WindowHandler* parent)
{
    ScopedTimer timer(g_statCreateWindow);
    if (!handler)
        return false;
    if (!registerAppWindowClass()) {
        VLOG << u"Unable to register the window class: " << platform::get().lastErrorText();
        return false;
    }

    RECT frame = {0, 0, kInitialClientWidth, kInitialClientHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND owner = nullptr;
    if (parent && parent->m_window)
        owner = static_cast<HWND>(parent->m_window->nativeHandle());

    auto window = std::make_unique<AppWindow>(nullptr, this);
    HMENU bar = menu ? static_cast<HMENU>(createNativeMenuBar(m_menuState, *menu, window->m_menuState.m_menuItems))
                     : nullptr;
    HWND hwnd = CreateWindowExW((flags & kTopmost) ? WS_EX_TOPMOST : 0, kMainWindowClassName, title.c_str(),
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, owner, bar, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        VLOG << u"Unable to create a window: " << platform::get().lastErrorText();
        destroyNativeMenuBar(m_menuState, bar);
        return false;
    }
    useAppWindowProcedure(hwnd);
    DragAcceptFiles(hwnd, TRUE);
    window->m_hwnd = hwnd;
    AppWindow* appWindow = window.release(); // owned by the live list until WM_DESTROY
    m_appWindows.push_back(appWindow);
    setCurrentWindow(appWindow);

    if (!placement.empty())
        applyPlacementText(hwnd, placement);
    ShowWindow(hwnd, SW_SHOW);

    WindowPeer* peer = nullptr;
    {
        ScopedTimer peerTimer(g_statInitWindowPeer);
        peer = createPeer(hwnd);
    }
    if (!peer) {
        // The native window goes too: a window without a renderer could show
        // nothing and keep the loop running with nothing to close.
        const ustring message = u"Unable to open a window: neither Direct3D 9 nor OpenGL could be set up.";
        VLOG << message;
        if (NotificationManager::alive())
            NotificationManager::get().displayError(message);
        releaseWindowMenu(m_menuState, appWindow->m_menuState, hwnd);
        removeAppWindow(appWindow);
        delete appWindow;
        DestroyWindow(hwnd);
        return false;
    }
    appWindow->m_peer.reset(peer);
    createHiddenScrollBars(hwnd);

    appWindow->m_handler.reset(handler);
    handler->m_rect = clientRect(hwnd);
    handler->m_window = appWindow;
    handler->setCanvas(peer->canvas());
    setCurrentWindow(appWindow);
    return true;
}

void Win32WindowManager::invalidateAll()
{
    for (AppWindow* window : m_appWindows)
        window->invalidate();
}

void Win32WindowManager::setMenu(const ustring& name, const slate::SP<MenuDescriptor>& menu)
{
    m_menuState.setMenu(name, menu);
}

slate::SP<MenuDescriptor> Win32WindowManager::menu(const ustring& name)
{
    return m_menuState.menu(name);
}

bool Win32WindowManager::copyToClipboard(const ustring& text, const ustring& formatName, const void* data,
                                         size_t length)
{
    return ::copyToClipboard(text, formatName, data, length);
}

bool Win32WindowManager::copyFromClipboard(ustring& text, const ustring& formatName, std::vector<char>* data)
{
    return ::copyFromClipboard(text, formatName, data);
}

platform::WindowHandle Win32WindowManager::mainWindowHandle()
{
    return nativeHandle(m_currentWindow);
}

void Win32WindowManager::removeAppWindow(AppWindow* window)
{
    m_appWindows.erase(std::remove(m_appWindows.begin(), m_appWindows.end(), window), m_appWindows.end());
    // Cleared only now, so the targets move to a window that stays.
    setCurrentWindow(nullptr);
    if (platform::WindowHandle target = mainThreadWindow())
        platform::get().postRunQueuedCalls(target);
}

AppWindow* Win32WindowManager::findAppWindow(platform::WindowHandle window) const
{
    if (!window)
        return nullptr;
    for (AppWindow* appWindow : m_appWindows) {
        if (appWindow->m_hwnd == window)
            return appWindow;
    }
    return nullptr;
}

void Win32WindowManager::setCurrentWindow(AppWindow* window)
{
    m_currentWindow = window;
    if (window && window->m_peer)
        window->m_peer->makeCurrent();
    m_currentHandle.store(nativeHandle(window));
    // Without a current window, queued calls and change notices still need a
    // live window of the loop: the oldest one left, else the hidden window.
    HWND target = nativeHandle(window);
    if (!target)
        target = m_appWindows.empty() ? static_cast<HWND>(mainLoopWindow()) : nativeHandle(m_appWindows.front());
    if (slate::fileChangeWindow() != target)
        slate::setFileChangeWindow(target);
    if (mainThreadWindow() != target)
        setMainThreadWindow(target);
}

double Win32WindowManager::windowTime()
{
    const DWORD now = GetTickCount();
    if (!m_haveTimeBase) {
        m_haveTimeBase = true;
        m_timeBase = now;
    }
    return double(DWORD(now - m_timeBase)) * 0.001;
}
