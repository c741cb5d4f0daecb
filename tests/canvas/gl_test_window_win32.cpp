#include "canvas/gl_test_window.h"

#define NOMINMAX
#include <windows.h>
#include <GL/gl.h>

namespace gl_test {

namespace {

const char16_t kWindowClassName[] = u"VantrelGLTestWindow";

} // namespace

platform::WindowHandle createWindow(int width, int height)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClassName;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        registered = true;
    }
    return CreateWindowExW(0, kWindowClassName, u"", WS_POPUP, 0, 0, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

void destroyWindow(platform::WindowHandle window)
{
    DestroyWindow(static_cast<HWND>(window));
}

std::vector<uint32_t> readBackBuffer(int width, int height)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        // OpenGL's rows run bottom first.
        const uint8_t* row = rgba.data() + size_t(height - 1 - y) * width * 4;
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] =
                uint32_t(row[4 * x]) << 16 | uint32_t(row[4 * x + 1]) << 8 | row[4 * x + 2];
    }
    return pixels;
}

} // namespace gl_test
