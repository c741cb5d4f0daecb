#include <gtest/gtest.h>

#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

TEST(ParseException, WideMessageRoundTripsThroughWhat)
{
    try {
        throw ParseException(ustring(u"Bad XML at \u00e9"));
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Bad XML at \xc3\xa9");
        EXPECT_EQ(toUstring(error.what()), u"Bad XML at \u00e9");
    }
}

TEST(ParseException, NarrowMessageKeptAndCopyable)
{
    const ParseException original(std::string("unexpected <dict>"));
    const ParseException copy = original;
    EXPECT_STREQ(copy.what(), "unexpected <dict>");
}

TEST(ParseException, InvalidWideMessageBecomesEmpty)
{
    const ParseException error(ustring(1, uchar(0xD800)));
    EXPECT_STREQ(error.what(), "");
}
