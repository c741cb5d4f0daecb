#include "support/test_window.h"

#define NOMINMAX
#include <windows.h>

#include <set>
#include <string>

namespace test_support {

platform::WindowHandle createPopupWindow(const char16_t* className, bool ownDC, int width,
                                         int height, bool shown)
{
    static std::set<std::u16string> registered;
    if (!registered.count(className)) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = ownDC ? CS_OWNDC : 0;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        registered.insert(className);
    }
    HWND window = CreateWindowExW(0, className, u"", WS_POPUP | (shown ? WS_VISIBLE : 0), 0, 0,
                                  width, height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                  nullptr);
    if (window && shown) {
        SetForegroundWindow(window);
        deliverPendingMessages();
    }
    return window;
}

void destroyPopupWindow(platform::WindowHandle window)
{
    DestroyWindow(static_cast<HWND>(window));
}

void deliverPendingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace test_support
