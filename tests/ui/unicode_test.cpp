#include <gtest/gtest.h>

#include "ui/unicode.h"

TEST(Unicode, RoundTrip)
{
    EXPECT_EQ(toUtf8(u"h\u00e9llo"), "h\xc3\xa9llo");
}
