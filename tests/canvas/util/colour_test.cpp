#include "canvas/util/colour.h"

#include <cctype>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "ui/unicode.h"

namespace {

const float kUntouched[3] = {-1.0f, -2.0f, -3.0f};

struct ColourCase {
    const char* text;
    bool parsed;
    uint32_t rgb; // when parsed
};

void expectColour(uint32_t rgb, const float colour[3])
{
    EXPECT_FLOAT_EQ(static_cast<float>((rgb >> 16) & 255) / 255.0f, colour[0]);
    EXPECT_FLOAT_EQ(static_cast<float>((rgb >> 8) & 255) / 255.0f, colour[1]);
    EXPECT_FLOAT_EQ(static_cast<float>(rgb & 255) / 255.0f, colour[2]);
}

TEST(Colour, ParsesNamesAndHexadecimalText)
{
    const ColourCase cases[] = {
        // Names ignore case; blanks (and then tabs) are dropped.
        {"cornflowerblue", true, 0x6495ED},
        {"CornflowerBlue", true, 0x6495ED},
        {"cornflower blue", true, 0x6495ED},
        {" Cornflower\tBlue ", true, 0x6495ED},
        {"Light Goldenrod Yellow", true, 0xFAFAD2},
        {"navy blue", true, 0x000080},
        // The database's values, not the web's.
        {"gray", true, 0xBEBEBE},
        {"GREY", true, 0xBEBEBE},
        {"green", true, 0x00FF00},
        {"maroon", true, 0xB03060},
        {"lightgoldenrod", true, 0xEEDD82},
        {"gray0", true, 0x000000},
        {"gray50", true, 0x7F7F7F},
        {"grey90", true, 0xE5E5E5},
        {"gray100", true, 0xFFFFFF},
        {"sgigray12", true, 0x1E1E1E},
        {"sgigrey100", true, 0xFFFFFF},
        {"indigo2", true, 0x218868},
        {"aliceblue", true, 0xF0F8FF},
        {"yellowgreen", true, 0x9ACD32},
        // "#" and six hexadecimal digits; what follows them is ignored.
        {"#ff8000", true, 0xFF8000},
        {"#FF8000", true, 0xFF8000},
        {"#ff8000cc", true, 0xFF8000},
        {"#000000", true, 0x000000},
        // Neither a name nor six hexadecimal digits.
        {"cornflower\tblue", false, 0},
        {"cornflower", false, 0},
        {"cornflowerblue2", false, 0},
        {"gray101", false, 0},
        {"aqua", false, 0},
        {"ff8000", false, 0},
        {"#ff80", false, 0},
        {"#ff80zz", false, 0},
        {"#0x1234", false, 0},
        {"#-12345", false, 0},
        {"# ff8000", false, 0},
        {"#", false, 0},
        {"", false, 0},
        {"r\xC3\xA9" "d", false, 0},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        float colour[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
        EXPECT_EQ(c.parsed, parseColourName(c.text, colour));
        if (c.parsed) {
            expectColour(c.rgb, colour);
        } else {
            EXPECT_EQ(kUntouched[0], colour[0]);
            EXPECT_EQ(kUntouched[1], colour[1]);
            EXPECT_EQ(kUntouched[2], colour[2]);
        }

        float wideColour[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
        EXPECT_EQ(c.parsed, parseColour(toUstring(c.text), wideColour));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(colour[i], wideColour[i]);
    }
}

TEST(Colour, ChannelsAreBytesOver255)
{
    float colour[3];
    ASSERT_TRUE(parseColour(u"Cornflower Blue", colour));
    EXPECT_NEAR(0.392f, colour[0], 0.0005f);
    EXPECT_NEAR(0.584f, colour[1], 0.0005f);
    EXPECT_NEAR(0.929f, colour[2], 0.0005f);
    ASSERT_TRUE(parseColour(u"#ff8000", colour));
    EXPECT_EQ(1.0f, colour[0]);
    EXPECT_NEAR(0.502f, colour[1], 0.0005f);
    EXPECT_EQ(0.0f, colour[2]);
}

TEST(Colour, RefusesTextThatIsNotWellFormed)
{
    float colour[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
    ustring loneSurrogate = u"red";
    loneSurrogate.insert(loneSurrogate.begin(), static_cast<uchar>(0xD800));
    EXPECT_FALSE(parseColour(loneSurrogate, colour));
    ustring embeddedNul = u"red";
    embeddedNul += u'\0';
    embeddedNul += u"x";
    EXPECT_FALSE(parseColour(embeddedNul, colour));
    EXPECT_EQ(kUntouched[0], colour[0]);
    EXPECT_EQ(kUntouched[2], colour[2]);
}

// Every name is found by the halving search, and its value written in
// hexadecimal gives exactly the same floats.
TEST(Colour, EveryNamedColourIsFoundAndAgreesWithItsHexadecimalForm)
{
    NamedColourTable table = namedColours();
    EXPECT_EQ(731u, table.size());
    std::string previous;
    for (const NamedColour& entry : table) {
        SCOPED_TRACE(entry.name);
        std::string name = entry.name;
        EXPECT_LT(previous, name);
        previous = name;
        for (char c : name)
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)));
        EXPECT_EQ(0u, entry.rgb >> 24);

        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        float byName[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
        ASSERT_TRUE(parseColourName(upper.c_str(), byName));

        char hex[16];
        std::snprintf(hex, sizeof hex, "#%06X", static_cast<unsigned>(entry.rgb));
        float byValue[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
        ASSERT_TRUE(parseColourName(hex, byValue));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(byValue[i], byName[i]);
        expectColour(entry.rgb, byName);
    }
}

} // namespace
