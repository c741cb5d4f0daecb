// Reading a buffer's settings from options.
#include "ui/text/buffer_options.h"

#include <gtest/gtest.h>

#include "ui/options.h"

namespace {

BufferOptions read(const ustring& text, BufferOptions settings = BufferOptions())
{
    slate::SP<Options> options(new Options);
    options->parse(text);
    readBufferOptions(*options, settings);
    return settings;
}

TEST(BufferOptions, TabSizeIsClampedIntoRange)
{
    struct Case {
        const char16_t* text;
        int32_t before;
        int32_t expected;
    };
    const Case cases[] = {
        {u"tabSize 0", 4, 1},  {u"tabSize 100", 4, 32}, {u"tabSize -3", 4, 1},
        {u"tabSize 8", 4, 8},  {u"tabSize x", 4, 1},    {u"", 4, 4},
        {u"", 0, 1},           {u"", 99, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        BufferOptions settings;
        settings.tabSize = c.before;
        EXPECT_EQ(c.expected, read(c.text, settings).tabSize);
    }
}

TEST(BufferOptions, BracketKindsAreRecomputedEveryTime)
{
    BufferOptions settings;
    settings.matchBrackets = kMatchBraces | kMatchAngleBrackets;
    EXPECT_EQ(kMatchParentheses, read(u"tabSize 4", settings).matchBrackets);
    EXPECT_EQ(kMatchSquareBrackets | kMatchBraces | kMatchAngleBrackets,
              read(u"matchBracketsParens false\nmatchBracketsSquare true\n"
                   u"matchBracketsBraces true\nmatchBracketsAngle true")
                  .matchBrackets);
    EXPECT_EQ(0u, read(u"matchBracketsParens no").matchBrackets);
}

TEST(BufferOptions, AbsentKeysKeepTheBufferSettings)
{
    BufferOptions current;
    current.fallbackEncoding = kEncodingUtf8;
    current.wordSeparators = u"-";
    current.autoIndent = false;
    current.trimAutomaticWhitespace = false;
    current.translateTabsToSpaces = true;
    current.useTabStops = false;
    current.spellCheck = false;
    current.defaultLineEnding = kLineEndingUnix;

    const BufferOptions kept = read(u"", current);
    EXPECT_EQ(kEncodingUtf8, kept.fallbackEncoding);
    EXPECT_EQ(u"-", kept.wordSeparators);
    EXPECT_FALSE(kept.autoIndent);
    EXPECT_FALSE(kept.trimAutomaticWhitespace);
    EXPECT_TRUE(kept.translateTabsToSpaces);
    EXPECT_FALSE(kept.useTabStops);
    // These have defaults of their own rather than the buffer's value.
    EXPECT_TRUE(kept.spellCheck);
    EXPECT_EQ(defaultDictionaryPath(), kept.dictionary);
    EXPECT_EQ(kLineEndingWindows, kept.defaultLineEnding);
}

TEST(BufferOptions, PresentKeysAreReadAndConverted)
{
    const BufferOptions settings = read(
        u"fallbackEncoding UTF-8\n"
        u"wordSeparators \\t.\\\\x\n"
        u"spellCheck true\n"
        u"dictionary Packages/Language - German/de_DE.dic\n"
        u"autoIndent false\n"
        u"translateTabsToSpaces true\n"
        u"defaultLineEnding unix");
    EXPECT_EQ(kEncodingUtf8, settings.fallbackEncoding);
    EXPECT_EQ(u"\t.\\x", settings.wordSeparators);
    EXPECT_EQ(u"Packages/Language - German/de_DE.dic", settings.dictionary);
    EXPECT_FALSE(settings.autoIndent);
    EXPECT_TRUE(settings.translateTabsToSpaces);
    EXPECT_EQ(kLineEndingUnix, settings.defaultLineEnding);

    EXPECT_EQ(0u, read(u"fallbackEncoding Klingon").fallbackEncoding);
    EXPECT_EQ(kLineEndingWindows, read(u"defaultLineEnding Klingon").defaultLineEnding);

    // With spelling off the dictionary is not read.
    BufferOptions before;
    before.dictionary = u"old.dic";
    const BufferOptions off = read(u"spellCheck false\ndictionary new.dic", before);
    EXPECT_FALSE(off.spellCheck);
    EXPECT_EQ(u"old.dic", off.dictionary);
}

TEST(BufferOptions, DefaultWordSeparatorsAreTheThirtySixUnits)
{
    const ustring& separators = defaultWordSeparators();
    EXPECT_EQ(36u, separators.size());
    for (char16_t unit : ustring(u"\n\t ./\\()\"'-:,;<>~!@#$%^&*|+=[]{}`?"))
        EXPECT_NE(ustring::npos, separators.find(unit)) << int(unit);
    EXPECT_EQ(ustring::npos, separators.find(u'_'));
}

} // namespace
