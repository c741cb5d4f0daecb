#include <gtest/gtest.h>

#include <string>

#include "support/bytes.h"
#include "ui/unicode.h"

TEST(Unicode, WholeStringRoundTrip)
{
    const ustring text = u"h\u00e9llo \u20ac \U0001F600";
    const std::string utf8 = "h\xc3\xa9llo \xe2\x82\xac \xf0\x9f\x98\x80";
    EXPECT_EQ(toUtf8(text), utf8);
    EXPECT_EQ(toUstring(utf8), text);
    EXPECT_EQ(toUstring(""), u"");
    EXPECT_EQ(toUtf8(u""), "");
}

TEST(Unicode, StrictUtf8RejectsMalformedSequences)
{
    struct Case {
        const char* name;
        std::string input;
    };
    const Case cases[] = {
        {"lead then non-continuation", bytes({0xC3, 0x28})},
        {"cut short at the end", bytes({0xE2, 0x82})},
        {"overlong NUL", bytes({0xC0, 0x80})},
        {"encoded surrogate", bytes({0xED, 0xA0, 0x80})},
        {"above U+10FFFF", bytes({0xF4, 0x90, 0x80, 0x80})},
        {"lone continuation", bytes({'a', 0x80})},
        {"five-byte lead", bytes({0xF8, 0x88, 0x80, 0x80, 0x80})},
        {"overlong three bytes", bytes({0xE0, 0x9F, 0xBF})},
        {"ED swallowing an ASCII letter", bytes({0xED, 0x41, 0x80})},
        {"F4 swallowing a line feed", bytes({0xF4, 0x0A, 0x80, 0x80})},
        {"third byte not a continuation", bytes({0xE1, 0x80, 0x41})},
        {"fourth byte not a continuation", bytes({0xF1, 0x80, 0x80, 0x0A})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUstring(c.input), u"");
        // The lenient flag changes nothing in this direction.
        uchar target[8];
        uchar* targetCursor = target;
        auto* source = reinterpret_cast<const unsigned char*>(c.input.data());
        const ConversionResult result = convertUtf8ToUtf16(
            &source, source + c.input.size(), &targetCursor, target + 8, false);
        EXPECT_NE(result, ConversionResult::conversionOk);
    }
}

TEST(Unicode, BoundaryCharactersConvert)
{
    EXPECT_EQ(toUstring(bytes({0xED, 0x9F, 0xBF})), u"\uD7FF");
    EXPECT_EQ(toUstring(bytes({0xEE, 0x80, 0x80})), u"\uE000");
    EXPECT_EQ(toUstring(bytes({0xF4, 0x8F, 0xBF, 0xBF})), u"\U0010FFFF");
    EXPECT_EQ(toUstring(bytes({0xC2, 0x80})), u"\u0080");
}

TEST(Unicode, StrictUtf16RejectsLoneSurrogates)
{
    EXPECT_EQ(toUtf8(ustring(u"ab") + uchar(0xD800)), "");
    EXPECT_EQ(toUtf8(ustring(u"a") + uchar(0xDC00) + u"b"), "");
    EXPECT_EQ(toUtf8(ustring(1, uchar(0xD800)) + u"b"), "");
    EXPECT_EQ(toUtf8(u"\U00010437"), bytes({0xF0, 0x90, 0x90, 0xB7}));
}

TEST(Unicode, FindsTheFirstUnpairedSurrogate)
{
    struct Case {
        ustring text;
        size_t expected; // offset, or the length when well-formed
    };
    const uchar high = 0xD801, low = 0xDC37;
    const Case cases[] = {
        {u"", 0},
        {u"abc", 3},
        {ustring(u"a") + high + low + u"b", 4},
        {ustring(u"ab") + high, 2},
        {ustring(1, low) + u"a", 0},
        {ustring(u"a") + high + u"b" + high + low, 1},
        {ustring(u"a") + high + low + low, 3},
        {ustring(1, high) + high + low, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const uchar* begin = c.text.data();
        EXPECT_EQ(findUnpairedSurrogate(begin, begin + c.text.size()) - begin, static_cast<ptrdiff_t>(c.expected));
    }
}

TEST(Unicode, ReplacingConversionTurnsOnlyUnpairedSurrogatesIntoReplacementCharacters)
{
    const std::string replacement = bytes({0xEF, 0xBF, 0xBD});
    EXPECT_EQ(toUtf8Replacing(ustring(u"ab") + uchar(0xD800)), "ab" + replacement);
    EXPECT_EQ(toUtf8Replacing(ustring(u"a") + uchar(0xDC00) + uchar(0xD800) + uchar(0xDC00)),
              "a" + replacement + bytes({0xF0, 0x90, 0x80, 0x80}));
    EXPECT_EQ(toUtf8Replacing(ustring(u"caf\u00e9")), "caf\xC3\xA9");
}

TEST(Unicode, LenientUtf16KeepsLoneSurrogateAsThreeBytes)
{
    const ustring source = ustring(u"a") + uchar(0xDC00) + uchar(0xD801) + u"b";
    unsigned char target[16];
    const uchar* sourceCursor = source.data();
    unsigned char* targetCursor = target;
    EXPECT_EQ(convertUtf16ToUtf8(&sourceCursor, source.data() + source.size(), &targetCursor,
                                 target + sizeof target, false),
              ConversionResult::conversionOk);
    EXPECT_EQ(std::string(target, targetCursor),
              bytes({'a', 0xED, 0xB0, 0x80, 0xED, 0xA0, 0x81, 'b'}));

    // A high surrogate at the very end may be the first half of a pair that
    // has not arrived yet, so even lenient conversion stops before it.
    const ustring cut = ustring(u"a") + uchar(0xD801);
    sourceCursor = cut.data();
    targetCursor = target;
    EXPECT_EQ(convertUtf16ToUtf8(&sourceCursor, cut.data() + cut.size(), &targetCursor,
                                 target + sizeof target, false),
              ConversionResult::sourceExhausted);
    EXPECT_EQ(sourceCursor, cut.data() + 1);
    EXPECT_EQ(targetCursor, target + 1);
}

TEST(Unicode, TargetShortOfPairStopsOnLeadByte)
{
    const std::string source = bytes({'x', 0xF0, 0x9F, 0x98, 0x80});
    uchar target[2];
    auto* sourceCursor = reinterpret_cast<const unsigned char*>(source.data());
    uchar* targetCursor = target;
    EXPECT_EQ(convertUtf8ToUtf16(&sourceCursor, sourceCursor + source.size(), &targetCursor, target + 2, true),
              ConversionResult::targetExhausted);
    EXPECT_EQ(reinterpret_cast<const char*>(sourceCursor), source.data() + 1);
    EXPECT_EQ(targetCursor, target + 1);
    EXPECT_EQ(target[0], u'x');

    // The other direction: three bytes left for a four-byte character.
    const ustring wide = u"\U0001F600";
    unsigned char narrow[3];
    const uchar* wideCursor = wide.data();
    unsigned char* narrowCursor = narrow;
    EXPECT_EQ(convertUtf16ToUtf8(&wideCursor, wide.data() + wide.size(), &narrowCursor, narrow + 3, true),
              ConversionResult::targetExhausted);
    EXPECT_EQ(wideCursor, wide.data());
    EXPECT_EQ(narrowCursor, narrow);
}

TEST(Unicode, SourceCursorStaysOnIllegalOrTruncatedLead)
{
    struct Case {
        std::string input;
        ConversionResult result;
        size_t consumed;
    };
    const Case cases[] = {
        {bytes({'a', 'b', 0xE2, 0x82}), ConversionResult::sourceExhausted, 2},
        {bytes({'a', 0xC0, 0x80, 'b'}), ConversionResult::sourceIllegal, 1},
        {bytes({'a', 'b'}), ConversionResult::conversionOk, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.consumed);
        uchar target[8];
        uchar* targetCursor = target;
        auto* begin = reinterpret_cast<const unsigned char*>(c.input.data());
        const unsigned char* cursor = begin;
        EXPECT_EQ(convertUtf8ToUtf16(&cursor, begin + c.input.size(), &targetCursor, target + 8, true), c.result);
        EXPECT_EQ(static_cast<size_t>(cursor - begin), c.consumed);
        EXPECT_EQ(static_cast<size_t>(targetCursor - target), c.consumed);
    }
}

// Long ASCII runs go across several bytes at a time: a character that is
// not ASCII, and the end of the target, must still be met at every offset.
TEST(Unicode, AsciiRunsStopAtEveryOffset)
{
    const std::string ascii = "abcdefghijklmnopqrstuvwx";
    for (size_t offset = 0; offset <= ascii.size(); ++offset) {
        SCOPED_TRACE(offset);
        const std::string source = ascii.substr(0, offset) + "\xE2\x82\xAC" + ascii.substr(offset);
        ustring expected = ustring(ascii.begin(), ascii.begin() + offset) + u"\u20AC" +
                           ustring(ascii.begin() + offset, ascii.end());
        uchar target[32];
        auto* sourceCursor = reinterpret_cast<const unsigned char*>(source.data());
        uchar* targetCursor = target;
        EXPECT_EQ(convertUtf8ToUtf16(&sourceCursor, sourceCursor + source.size(), &targetCursor, target + 32, true),
                  ConversionResult::conversionOk);
        EXPECT_EQ(ustring(target, targetCursor), expected);

        // A target that ends inside the run takes exactly what fits.
        sourceCursor = reinterpret_cast<const unsigned char*>(ascii.data());
        targetCursor = target;
        EXPECT_EQ(convertUtf8ToUtf16(&sourceCursor, sourceCursor + ascii.size(), &targetCursor, target + offset,
                                     true),
                  offset == ascii.size() ? ConversionResult::conversionOk : ConversionResult::targetExhausted);
        EXPECT_EQ(reinterpret_cast<const char*>(sourceCursor), ascii.data() + offset);
        EXPECT_EQ(ustring(target, targetCursor), ustring(ascii.begin(), ascii.begin() + offset));
    }
}

TEST(Unicode, IsLegalUtf8)
{
    const unsigned char ok[] = {0xE2, 0x82, 0xAC};
    EXPECT_TRUE(isLegalUtf8(ok, 3));
    EXPECT_FALSE(isLegalUtf8(ok, 0));
    EXPECT_FALSE(isLegalUtf8(ok, 5));
    const unsigned char lead[] = {0xF5, 0x80, 0x80, 0x80};
    EXPECT_FALSE(isLegalUtf8(lead, 4));
}

TEST(Unicode, SequenceReaderFollowsTheStandardTable)
{
    struct Case {
        const char* name;
        std::string input;
        bool allowSurrogates;
        Utf8Status status;
        int length;
        uint32_t codePoint;
    };
    const Utf8Status valid = Utf8Status::valid, incomplete = Utf8Status::incomplete, invalid = Utf8Status::invalid;
    const Case cases[] = {
        {"ASCII", "A", false, valid, 1, 0x41},
        {"two bytes", bytes({0xC3, 0xA9}), false, valid, 2, 0xE9},
        {"E0 lowest", bytes({0xE0, 0xA0, 0x80}), false, valid, 3, 0x800},
        {"E0 overlong", bytes({0xE0, 0x9F, 0xBF}), false, invalid, 1, 0},
        {"ED highest", bytes({0xED, 0x9F, 0xBF}), false, valid, 3, 0xD7FF},
        {"ED below the continuations", bytes({0xED, 0x41, 0x80}), false, invalid, 1, 0},
        {"ED surrogate", bytes({0xED, 0xA0, 0x80}), false, invalid, 1, 0},
        {"ED surrogate allowed", bytes({0xED, 0xA0, 0x80}), true, valid, 3, 0xD800},
        {"ED below the continuations even with surrogates", bytes({0xED, 0x41, 0x80}), true, invalid, 1, 0},
        {"F0 lowest", bytes({0xF0, 0x90, 0x80, 0x80}), false, valid, 4, 0x10000},
        {"F0 overlong", bytes({0xF0, 0x8F, 0xBF, 0xBF}), false, invalid, 1, 0},
        {"F4 highest", bytes({0xF4, 0x8F, 0xBF, 0xBF}), false, valid, 4, 0x10FFFF},
        {"F4 above U+10FFFF", bytes({0xF4, 0x90, 0x80, 0x80}), false, invalid, 1, 0},
        {"F4 below the continuations", bytes({0xF4, 0x0A, 0x80, 0x80}), false, invalid, 1, 0},
        {"later byte out of range", bytes({0xE2, 0x82, 0xC0}), false, invalid, 1, 0},
        {"cut after the lead", bytes({0xE2}), false, incomplete, 1, 0},
        {"cut after two of four", bytes({0xF0, 0x9F}), false, incomplete, 2, 0},
        {"cut but already wrong", bytes({0xF4, 0x90}), false, invalid, 1, 0},
        {"C1 lead", bytes({0xC1, 0xBF}), false, invalid, 1, 0},
        {"F5 lead", bytes({0xF5, 0x80, 0x80, 0x80}), false, invalid, 1, 0},
        {"lone continuation", bytes({0x80}), false, invalid, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* p = reinterpret_cast<const unsigned char*>(c.input.data());
        const Utf8Sequence sequence = decodeUtf8Sequence(p, p + c.input.size(), c.allowSurrogates);
        EXPECT_EQ(c.status, sequence.status);
        EXPECT_EQ(c.length, sequence.length);
        if (c.status == valid) {
            EXPECT_EQ(c.codePoint, sequence.codePoint);
        }
    }
}
