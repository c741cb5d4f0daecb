#include "ui/text/syntax/style.h"

#include <gtest/gtest.h>

#include "canvas/util/colour.h"
#include "ui/unicode.h"

namespace {

const float kWhite[3] = {1.0f, 1.0f, 1.0f};
const float kBlack[3] = {0.0f, 0.0f, 0.0f};

TEST(BlendColourText, TruncatesWithSinglePrecisionInverse)
{
    const float grey[3] = {0.5f, 0.5f, 0.5f};
    struct Case {
        const char16_t* text;
        const float* base;
        const char16_t* expected;
    } cases[] = {
        // Green and blue land just below 127 and are truncated.
        {u"#FF000080", kWhite, u"#FF7E7E"},
        {u"#FF000080", kBlack, u"#800000"},
        {u"#FF0000FF", kWhite, u"#FF0000"}, // opaque
        {u"#FF0000ff", kBlack, u"#FF0000"},
        {u"#FF000000", kWhite, u"#FFFFFF"}, // transparent: the base shows
        {u"#FF000000", kBlack, u"#000000"},
        {u"#336699CC", kWhite, u"#5B84AD"},
        {u"#00000080", grey, u"#3F3F3F"},
        {u"#abcdef80", kBlack, u"#556677"}, // lower-case digits, upper-case result
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.text)));
        EXPECT_EQ(ustring(row.expected), blendColourText(row.text, row.base));
    }
}

TEST(BlendColourText, StopsReadingAtTheFirstNonHexadecimalDigit)
{
    // "FF00" is read as the number 0xFF00: red and green 0, blue 0xFF, alpha 0.
    EXPECT_EQ(u"#FFFFFF", blendColourText(u"#FF00zz80", kWhite));
    EXPECT_EQ(u"#000000", blendColourText(u"#FF00zz80", kBlack));
}

TEST(ParseSchemeColour, BlendsOnlyNineUnitTextsStartingWithHash)
{
    float expected[3];
    float colour[3];

    ASSERT_TRUE(parseColour(u"#FF7E7E", expected));
    ASSERT_TRUE(parseSchemeColour(u"#FF000080", colour, kWhite));
    EXPECT_EQ(expected[0], colour[0]);
    EXPECT_EQ(expected[1], colour[1]);
    EXPECT_EQ(expected[2], colour[2]);

    // Eight digits after "#" is not the alpha form: read by its first six.
    ASSERT_TRUE(parseColour(u"#102030", expected));
    ASSERT_TRUE(parseSchemeColour(u"#1020304", colour, kBlack));
    EXPECT_EQ(expected[0], colour[0]);
    EXPECT_EQ(expected[2], colour[2]);

    // Names go to the colour table unblended.
    ASSERT_TRUE(parseColour(u"red", expected));
    ASSERT_TRUE(parseSchemeColour(u"red", colour, kBlack));
    EXPECT_EQ(expected[0], colour[0]);
}

TEST(ParseSchemeColour, LeavesTheColourAloneWhenTheTextDoesNotParse)
{
    for (const char16_t* text : {u"", u"#12", u"nocolour", u"123456789"}) {
        SCOPED_TRACE(toUtf8(ustring(text)));
        float colour[3] = {0.25f, 0.5f, 0.75f};
        EXPECT_FALSE(parseSchemeColour(text, colour, kWhite));
        EXPECT_EQ(0.25f, colour[0]);
        EXPECT_EQ(0.5f, colour[1]);
        EXPECT_EQ(0.75f, colour[2]);
    }
}

TEST(Style, DefaultsToBlackOnTheSchemeBackground)
{
    Style style;
    EXPECT_EQ(0.0f, style.foreground[0]);
    EXPECT_EQ(1.0f, style.background[2]);
    EXPECT_TRUE(style.backgroundIsDefault);
    EXPECT_FALSE(style.secondFlag);
    EXPECT_EQ(Style(), style);
    style.thirdColour[1] = 0.5f;
    EXPECT_NE(Style(), style);
}

} // namespace
