// Application windows and their window procedure. The procedure finds the
// live window of the message, makes it current, feeds the time to its
// handler and turns the message into the handler's calls (input through
// win32_input.cpp, menus through native_menu.h, the hand-over from a second
// instance through single_instance.h). Closing, destruction, painting and the program's own
// messages are handled even when the window's renderer is missing or broken,
// so such a window can still be closed (with the handler's consent) and
// never spins on an endless WM_PAINT. A window destroyed while one of its
// messages is still being handled further up the stack is deleted only when
// that outermost call returns.
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "filesystem/directory_watcher.h"
#include "filesystem/file_manager.h"
#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/statistics.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/clipboard.h"
#include "window_manager/command_line_payload.h"
#include "ui/menu_descriptor.h"
#include "window_manager/windows/single_instance.h"
#include "window_manager/windows/win32_input.h"
#include "window_manager/windows/win32_window_manager.h"

namespace {

// The repaint timer that runs while frames report work left.
const UINT_PTR kFrameTimer = 0;
const UINT kFrameIntervalMs = 33;
const int kDroppedPathUnits = 4096;

HWND handleOf(AppWindow& window)
{
    return static_cast<HWND>(window.m_hwnd);
}

WindowPlacement fromNative(const WINDOWPLACEMENT& native)
{
    WindowPlacement placement;
    placement.flags = int32_t(native.flags);
    placement.showCommand = int32_t(native.showCmd);
    placement.minX = native.ptMinPosition.x;
    placement.minY = native.ptMinPosition.y;
    placement.maxX = native.ptMaxPosition.x;
    placement.maxY = native.ptMaxPosition.y;
    placement.left = native.rcNormalPosition.left;
    placement.top = native.rcNormalPosition.top;
    placement.right = native.rcNormalPosition.right;
    placement.bottom = native.rcNormalPosition.bottom;
    return placement;
}

bool readPlacement(HWND window, WindowPlacement& placement)
{
    WINDOWPLACEMENT native = {};
    native.length = sizeof(native);
    if (!GetWindowPlacement(window, &native))
        return false;
    placement = fromNative(native);
    return true;
}

void paint(HWND hwnd)
{
    runMainThreadQueue();
    AppWindow* window = findAppWindow(hwnd);
    if (window && window->m_handler && window->m_peer && window->m_peer->isValid()) {
        InputState state;
        makeInputState(state);
        recordPointerSample(*window, state.x, state.y);
        ScopedTimer drawAndPresent(g_statDrawAndPresent);
        RECT client = {0, 0, 0, 0};
        GetClientRect(hwnd, &client);
        if (window->m_peer->beginDraw(client.right - client.left, client.bottom - client.top) ==
            WindowPeer::DrawResult::Frame) {
            bool done;
            {
                ScopedTimer draw(g_statDraw);
                done = window->m_handler->draw(GetFocus() == hwnd);
            }
            if (done)
                KillTimer(hwnd, kFrameTimer);
            else
                SetTimer(hwnd, kFrameTimer, kFrameIntervalMs, nullptr);
            window->m_peer->endDraw();
        } else {
            // The device is lost or not back yet: nothing else may ask for
            // a frame once it is, so the timer keeps trying.
            SetTimer(hwnd, kFrameTimer, kFrameIntervalMs, nullptr);
        }
    }
    ValidateRect(hwnd, nullptr);
}

// WM_DESTROY: the window leaves the live list at once; it is deleted when
// the outermost call of its procedure returns.
void onDestroy(AppWindow& window)
{
    window.m_destroyed = true;
    releaseWindowMenu(window.m_manager->menuState(), window.m_menuState, window.m_hwnd);
    removeAppWindow(&window);
    if (appWindows().empty())
        PostQuitMessage(0);
}

void onDropFiles(AppWindow& window, WPARAM wParam)
{
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    InputState state;
    makeInputState(state);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<WCHAR> path(kDroppedPathUnits + 1);
    for (UINT i = 0; i < count && !window.m_destroyed; ++i) {
        if (DragQueryFileW(drop, i, path.data(), kDroppedPathUnits + 1) == 0)
            continue;
        window.m_handler->onDropFile(state.x, state.y, reinterpret_cast<const uchar*>(path.data()));
    }
    DragFinish(drop);
    window.invalidate();
}

// The system cursors are integer resources; the narrow IDC_ names are the
// same numbers.
LPCWSTR systemCursor(LPCSTR resource)
{
    return reinterpret_cast<LPCWSTR>(resource);
}

LPCWSTR cursorResource(CursorKind kind)
{
    switch (kind) {
    case CursorKind::Text: return systemCursor(IDC_IBEAM);
    case CursorKind::ResizeVertical: return systemCursor(IDC_SIZENS);
    case CursorKind::ResizeHorizontal: return systemCursor(IDC_SIZEWE);
    case CursorKind::Move: return systemCursor(IDC_SIZEALL);
    default: return systemCursor(IDC_ARROW);
    }
}

// The messages a window handles whether or not it has a working renderer.
// True when `message` was one of them.
bool handleLifetimeMessage(AppWindow& window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND hwnd = handleOf(window);
    switch (message) {
    case WM_DESTROY:
        onDestroy(window);
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        return true;
    case WM_CLOSE:
        if (window.m_handler->canClose())
            DestroyWindow(hwnd);
        result = 0;
        return true;
    case WM_PAINT:
        paint(hwnd);
        result = 1;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_INSTANCE_PING:
        result = WM_INSTANCE_PING;
        return true;
    case WM_COPYDATA: {
        ustring directory;
        std::vector<ustring> arguments;
        if (receiveCommandLine(lParam, directory, arguments)) {
            window.m_handler->onCommandLine(arguments);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        result = 1;
        return true;
    }
    case WM_FILES_CHANGED:
        slate::deliverFileChanges();
        InvalidateRect(hwnd, nullptr, FALSE);
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        return true;
    case WM_RUN_QUEUED_CALLS:
        runMainThreadQueue();
        InvalidateRect(hwnd, nullptr, FALSE);
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

LRESULT handleMessage(AppWindow& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = handleOf(window);
    setCurrentWindow(&window);
    const double time = windowTime();
    window.m_handler->m_mouseHistory.setTime(time);
    window.m_handler->update(time);

    LRESULT result = 0;
    if (handleLifetimeMessage(window, message, wParam, lParam, result))
        return result;
    if (!window.m_peer || !window.m_peer->isValid())
        return DefWindowProcW(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_MOVE:
        window.m_peer->move(hwnd);
        break;
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
        window.m_peer->resize(hwnd);
        window.m_handler->m_rect = clientRect(hwnd);
        window.invalidate();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        window.invalidate();
        return 0;
    case WM_ACTIVATE:
        // The whole wParam: a minimised window's activation carries a
        // non-zero high word.
        if (wParam == WA_ACTIVE || wParam == WA_CLICKACTIVE)
            window.m_handler->onActivate();
        break;
    case WM_WININICHANGE:
        window.m_peer->settingsChanged();
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT)
            break;
        {
            InputState state;
            makeInputState(state);
            SetCursor(LoadCursorW(nullptr, cursorResource(window.m_handler->cursorAt(state))));
        }
        return 1;
    case WM_CONTEXTMENU:
        if (LOWORD(lParam) != 0xFFFF)
            break;
        window.m_handler->onContextMenuKey();
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return translateKeyMessage(window, message, wParam, lParam);
    case WM_CHAR:
        return translateCharacterMessage(window, wParam);
    case WM_TIMER:
        window.invalidate();
        return 0;
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP: {
        LRESULT result = 0;
        if (handleMenuMessage(window.m_manager->menuState(), window.m_menuState, hwnd, window.m_handler.get(),
                              message, wParam, lParam, result))
            return result;
        break;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU && window.m_lastKeyConsumed)
            return 0;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        return translateScrollMessage(window, message, wParam);
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return translatePointerMessage(window, message, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        return translateButtonMessage(window, message, wParam, lParam);
    case WM_DROPFILES:
        onDropFiles(window, wParam);
        return 0;
    case WM_MOUSELEAVE:
        window.m_handler->m_mouseHistory.newStroke();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK appWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    AppWindow* window = findAppWindow(hwnd);
    // Not yet (or no longer) a live window with a handler: while it is being
    // created, and after WM_DESTROY.
    if (!window || !window->m_handler)
        return DefWindowProcW(hwnd, message, wParam, lParam);

    ++window->m_procedureDepth;
    LRESULT result = 0;
    try {
        result = handleMessage(*window, message, wParam, lParam);
    } catch (const std::exception& error) {
        VLOG << u"The window procedure caught an exception: " << error.what();
    } catch (...) {
        VLOG << u"The window procedure caught an unknown exception";
    }
    if (--window->m_procedureDepth == 0 && window->m_destroyed)
        delete window;
    return result;
}

} // namespace

void applyPlacementText(platform::WindowHandle window, const ustring& text)
{
    HWND hwnd = static_cast<HWND>(window);
    WINDOWPLACEMENT native = {};
    native.length = sizeof(native);
    GetWindowPlacement(hwnd, &native);
    WindowPlacement placement = fromNative(native);
    parsePlacement(text, placement); // fields the text lacks keep the window's
    native.flags = UINT(placement.flags);
    native.showCmd = UINT(openingShowCommand(placement.showCommand, int32_t(native.showCmd)));
    native.ptMinPosition = {placement.minX, placement.minY};
    native.ptMaxPosition = {placement.maxX, placement.maxY};
    native.rcNormalPosition = {placement.left, placement.top, placement.right, placement.bottom};
    SetWindowPlacement(hwnd, &native);
}

intptr_t callAppWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return appWindowProcedure(static_cast<HWND>(window), message, wParam, lParam);
}

bool registerAppWindowClass()
{
    static bool s_registered = false;
    if (s_registered)
        return true;
    WCHAR program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    HICON smallIcon = nullptr;
    ExtractIconExW(program, 0, nullptr, &smallIcon, 1);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = appWindowProcedure;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, systemCursor(IDC_ARROW));
    windowClass.lpszClassName = kMainWindowClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    s_registered = true;
    return true;
}

void useAppWindowProcedure(platform::WindowHandle window)
{
    HWND hwnd = static_cast<HWND>(window);
    const LONG_PTR procedure = reinterpret_cast<LONG_PTR>(&appWindowProcedure);
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != procedure)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, procedure);
}

AppWindow::AppWindow(platform::WindowHandle window, Win32WindowManager* manager) : m_hwnd(window), m_manager(manager)
{
}

AppWindow::~AppWindow()
{
    // The drag and the handler may hold the peer's canvas resources.
    m_drag.reset();
    m_handler.reset();
    m_peer.reset();
    if (currentAppWindow() == this)
        setCurrentWindow(nullptr);
}

void AppWindow::close()
{
    PostMessageW(handleOf(*this), WM_CLOSE, 0, 0);
}

Canvas* AppWindow::canvas()
{
    return m_peer ? m_peer->canvas() : nullptr;
}

bool AppWindow::showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner,
                              float x, float y, PopupMenuFlags flags)
{
    return ::showPopupMenu(m_manager->menuState(), m_hwnd, m_handler.get(), command, menu, runner, x, y, flags);
}

bool AppWindow::showPopupMenuAtCursor(ustring& command, const slate::SP<MenuDescriptor>& menu,
                                      CommandRunner* runner)
{
    return ::showPopupMenuAtCursor(m_manager->menuState(), m_hwnd, m_handler.get(), command, menu, runner);
}

void AppWindow::beginDrag(DragHandler* handler)
{
    if (m_handler)
        m_handler->m_mouseHistory.newStroke();
    endDrag();
    m_drag.reset(handler);
    SetCapture(handleOf(*this));
}

void AppWindow::endDrag()
{
    m_drag.reset();
    if (GetCapture() == handleOf(*this))
        ReleaseCapture();
}

void AppWindow::invalidate()
{
    InvalidateRect(handleOf(*this), nullptr, FALSE);
}

void AppWindow::setFullscreen(bool fullscreen)
{
    if (fullscreen == m_fullscreen)
        return;
    HWND hwnd = handleOf(*this);
    if (fullscreen) {
        RECT rect = {0, 0, 0, 0};
        GetWindowRect(hwnd, &rect);
        m_savedRect[0] = rect.left;
        m_savedRect[1] = rect.top;
        m_savedRect[2] = rect.right;
        m_savedRect[3] = rect.bottom;
        m_savedStyle = uint32_t(GetWindowLongW(hwnd, GWL_STYLE));
        m_savedPlacement = WindowPlacement();
        readPlacement(hwnd, m_savedPlacement);
        MONITORINFOEXW monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), reinterpret_cast<MONITORINFO*>(&monitor));
        SetWindowLongW(hwnd, GWL_STYLE, LONG(WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX));
        const RECT& area = monitor.rcMonitor;
        SetWindowPos(hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
        m_fullscreen = true;
    } else {
        SetWindowLongW(hwnd, GWL_STYLE, LONG(m_savedStyle));
        SetWindowPos(hwnd, nullptr, m_savedRect[0], m_savedRect[1], m_savedRect[2] - m_savedRect[0],
                     m_savedRect[3] - m_savedRect[1], SWP_NOZORDER | SWP_FRAMECHANGED);
        m_fullscreen = false;
    }
}

void AppWindow::setTitle(const ustring& title)
{
    SetWindowTextW(handleOf(*this), title.c_str());
}

void AppWindow::setMenu(const slate::SP<MenuDescriptor>& menu)
{
    setWindowMenu(m_manager->menuState(), m_menuState, m_hwnd, menu);
}

ustring AppWindow::placement()
{
    WindowPlacement placement;
    if (m_fullscreen)
        placement = m_savedPlacement;
    else if (!readPlacement(handleOf(*this), placement))
        return ustring();
    placement.fullscreen = m_fullscreen ? 1 : 0;
    return formatPlacement(placement);
}

ustring AppWindow::rendererName()
{
    return m_peer ? m_peer->name() : ustring();
}
