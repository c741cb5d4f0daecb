#include "window_manager/window_manager.h"

#include <gtest/gtest.h>

#include "support/null_window_manager.h"

namespace {

TEST(WindowManager, OneInstanceAtATime)
{
    struct Counting : test_support::NullWindowManager {
        explicit Counting(int& live) : m_live(live) { ++m_live; }
        ~Counting() override { --m_live; }
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
