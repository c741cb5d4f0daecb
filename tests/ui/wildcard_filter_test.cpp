#include <gtest/gtest.h>

#include "ui/wildcard_filter.h"

TEST(WildcardFilter, IncludesThenExcludes)
{
    WildcardFilter empty;
    EXPECT_TRUE(empty.matches(u"anything.txt"));

    WildcardFilter excludeOnly;
    excludeOnly.addExclude(u"*.pyc");
    EXPECT_TRUE(excludeOnly.matches(u"main.py"));
    EXPECT_FALSE(excludeOnly.matches(u"main.pyc"));

    WildcardFilter both;
    both.addInclude(u"*.cpp");
    both.addInclude(u"*.h");
    both.addExclude(u"*_test.*");
    EXPECT_TRUE(both.matches(u"src/log.cpp"));
    EXPECT_TRUE(both.matches(ustring(u"log.h")));
    EXPECT_FALSE(both.matches(u"log_test.cpp"));
    EXPECT_FALSE(both.matches(u"log.CPP"));
    EXPECT_FALSE(both.matches(u"README"));
}
