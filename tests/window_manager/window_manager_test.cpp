#include "window_manager/window_manager.h"

#include <gtest/gtest.h>

#include "ui/menu_descriptor.h"

namespace {

TEST(WindowManager, OneInstanceAtATime)
{
    struct Counting : WindowManager {
        explicit Counting(int& live) : m_live(live) { ++m_live; }
        ~Counting() override { --m_live; }
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
        int& m_live;
    };
    int live = 0;
    EXPECT_FALSE(WindowManager::alive());
    auto* manager = new Counting(live);
    WindowManager::create(manager);
    EXPECT_TRUE(WindowManager::alive());
    EXPECT_EQ(&WindowManager::get(), manager);
    WindowManager::destroy();
    EXPECT_FALSE(WindowManager::alive());
    EXPECT_EQ(live, 0);
}

} // namespace
