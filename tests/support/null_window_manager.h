// A window manager that makes no windows and keeps nothing, for tests that
// need one installed; tests override what they watch.
#pragma once

#include <vector>

#include "ui/menu_descriptor.h"
#include "window_manager/window_manager.h"

namespace test_support {

class NullWindowManager : public WindowManager {
public:
    void run() override {}
    bool createWindow(const ustring&, WindowHandler*, const slate::SP<MenuDescriptor>&, const ustring&, int,
                      WindowHandler*) override
    {
        return false;
    }
    void invalidateAll() override {}
    void setMenu(const ustring&, const slate::SP<MenuDescriptor>&) override {}
    slate::SP<MenuDescriptor> menu(const ustring&) override { return nullptr; }
    bool copyToClipboard(const ustring&, const ustring&, const void*, size_t) override { return false; }
    bool copyFromClipboard(ustring&, const ustring&, std::vector<char>*) override { return false; }
    platform::WindowHandle mainWindowHandle() override { return nullptr; }
};

} // namespace test_support
