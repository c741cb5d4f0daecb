#include <gtest/gtest.h>

#include "ui/platform.h"

TEST(Win32Platform, DebugOutputAndTicks)
{
    platform::get().debugOutput(u"wine test\n");
    EXPECT_GT(platform::get().performanceFrequency(), 1);
}
