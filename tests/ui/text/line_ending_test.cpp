#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/text/line_ending.h"

namespace {

std::string visible(const ustring& text)
{
    std::string result;
    for (uchar unit : text) {
        if (unit == u'\r')
            result += "\\r";
        else if (unit == u'\n')
            result += "\\n";
        else if (unit == 0)
            result += "\\0";
        else
            result += static_cast<char>(unit);
    }
    return result;
}

// Normalises `text` as a stream cut into pieces at the given offsets.
ustring normaliseInPieces(ustring text, std::initializer_list<size_t> cuts)
{
    NewlineState state = NewlineState::nsNormal;
    ustring result;
    size_t start = 0;
    std::vector<size_t> ends(cuts);
    ends.push_back(text.size());
    for (size_t end : ends) {
        const slate::usubstring piece = normaliseNewlines(&text[0] + start, &text[0] + end, state);
        EXPECT_EQ(piece.begin, &text[0] + start);
        EXPECT_LE(piece.end, &text[0] + end);
        result += piece.str();
        start = end;
    }
    return result;
}

} // namespace

TEST(LineEnding, DetectionCountsPairsAndBreaksTiesInOrder)
{
    struct Case {
        ustring text;
        LineEnding expected;
    };
    const Case cases[] = {
        {u"a\r\nb\r\n", kLineEndingWindows},
        {u"a\nb\nc\r\nd\r\n", kLineEndingUnix},         // lone LF ties CR LF: Unix
        {u"a\rb\rc\n\rd\n\r", kLineEndingMac},          // lone CR ties LF CR: Mac
        {u"a\n\rb", kLineEndingLfCr},                   // one LF CR pair, not a lone LF and a lone CR
        {u"no breaks", kLineEndingWindows},
        {u"", kLineEndingWindows},
        {u"a\n\nb", kLineEndingUnix},                   // a blank line is two lone LFs
        {u"a\r\nb\rc", kLineEndingWindows},             // CR LF ties lone CR: Windows
        {u"a\n\rb\r\n", kLineEndingWindows},            // CR LF ties LF CR: Windows
        {u"a\n\rb\rc", kLineEndingMac},                 // lone CR ties LF CR: Mac
        {u"a\nb\r\nc\rd\n\r", kLineEndingUnix},         // all four tie
        {u"a\n\r\n", kLineEndingUnix},                  // LF CR, then a lone LF at the end
        {u"a\r", kLineEndingMac},                       // a break as the last unit counts as lone
        {u"a\rb\rc\r\n", kLineEndingMac},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(visible(c.text));
        EXPECT_EQ(detectLineEnding(c.text), c.expected);
    }
}

TEST(LineEnding, NormalisingMakesEveryBreakOneLineFeed)
{
    struct Case {
        ustring input;
        ustring expected;
    };
    const Case cases[] = {
        {u"\r\r", u"\n\n"},
        {u"\r\n\r\n", u"\n\n"},
        {u"\n\r\n", u"\n\n"},
        {u"\n\r\r", u"\n\n"},
        {u"a\rb\nc\r\nd\n\re", u"a\nb\nc\nd\ne"},
        {u"a\n\nb", u"a\n\nb"},
        {u"\r\r\n", u"\n\n"},
        {u"\n\n\r\r", u"\n\n\n"},
        {u"plain", u"plain"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(visible(c.input));
        ustring text = c.input;
        normaliseNewlinesInString(text);
        EXPECT_EQ(visible(text), visible(c.expected));
        // Cut anywhere, the stream gives the same text.
        for (size_t cut = 0; cut <= c.input.size(); ++cut) {
            SCOPED_TRACE(cut);
            EXPECT_EQ(visible(normaliseInPieces(c.input, {cut})), visible(c.expected));
        }
    }
}

TEST(LineEnding, PairSplitAcrossChunksGivesOneBreak)
{
    EXPECT_EQ(normaliseInPieces(u"a\r\nb", {2}), u"a\nb");
    EXPECT_EQ(normaliseInPieces(u"a\n\rb", {2}), u"a\nb");
    // The state survives an empty chunk.
    EXPECT_EQ(normaliseInPieces(u"a\r\nb", {2, 2}), u"a\nb");

    NewlineState state = NewlineState::nsNormal;
    ustring first = u"x\r";
    normaliseNewlines(&first[0], &first[0] + first.size(), state);
    EXPECT_EQ(state, NewlineState::nsSeenR);
    ustring second = u"\n";
    const slate::usubstring rest = normaliseNewlines(&second[0], &second[0] + second.size(), state);
    EXPECT_TRUE(rest.empty());
    EXPECT_EQ(state, NewlineState::nsNormal);
}

// Long lines of every length around a word of units, so that each kind of
// break falls at every place within a word and a chunk's cut at every place
// around it.
TEST(LineEnding, LongTextKeepsItsRunsAndNormalisesEveryBreak)
{
    struct Case {
        const char16_t* lineBreak;
        const char16_t* normalised;
    };
    const Case cases[] = {
        {u"\r\n", u"\n"}, {u"\n\r", u"\n"}, {u"\r", u"\n"},       {u"\n", u"\n"},
        {u"\r\r", u"\n\n"}, {u"\n\n", u"\n\n"}, {u"\r\n\r", u"\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(visible(c.lineBreak));
        ustring input;
        ustring expected;
        for (size_t length = 0; length < 11; ++length) {
            const ustring line = ustring(u"abcdefghij").substr(0, length);
            input += line + c.lineBreak;
            expected += line + c.normalised;
        }
        ustring whole = input;
        normaliseNewlinesInString(whole);
        EXPECT_EQ(visible(whole), visible(expected));
        for (size_t cut = 0; cut <= input.size(); ++cut) {
            SCOPED_TRACE(cut);
            EXPECT_EQ(visible(normaliseInPieces(input, {cut / 2, cut})), visible(expected));
        }
    }
}

TEST(LineEnding, NamesAndTexts)
{
    struct Case {
        LineEnding id;
        ustring name;
        ustring text;
    };
    const Case cases[] = {
        {kLineEndingWindows, u"Windows", u"\r\n"},
        {kLineEndingLfCr, u"LFCR", u"\n\r"},
        {kLineEndingUnix, u"Unix", u"\n"},
        {kLineEndingMac, u"Mac", u"\r"},
        {4, u"Windows", u"\r\n"},
        {0xFFFFFFFFu, u"Windows", u"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(lineEndingName(c.id), c.name);
        EXPECT_EQ(lineEndingText(c.id), c.text);
    }
}

TEST(LineEnding, FromNameIgnoresCaseAndLeavesUnknownNamesAlone)
{
    struct Case {
        ustring name;
        bool found;
        LineEnding expected;
    };
    const Case cases[] = {
        {u"unix", true, kLineEndingUnix},
        {u"WINDOWS", true, kLineEndingWindows},
        {u"lfcr", true, kLineEndingLfCr},
        {u"Mac", true, kLineEndingMac},
        {u"Linux", false, 77},
        {u"Unix ", false, 77},
        {u"", false, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        LineEnding id = 77;
        EXPECT_EQ(lineEndingFromName(c.name, id), c.found);
        EXPECT_EQ(id, c.expected);
    }
}

TEST(LineEnding, ToWindowsNewlines)
{
    struct Case {
        ustring input;
        ustring expected;
    };
    const Case cases[] = {
        {u"a\nb\n", u"a\r\nb\r\n"},
        {u"\n\n", u"\r\n\r\n"},
        {u"a\r\nb", u"a\r\r\nb"}, // every LF, even one after a CR
        {u"", u""},
        {u"none", u"none"},
        // Stops at the first zero unit; the rest of the result is zeros.
        {ustring(u"a\nb\0c\nd", 7), ustring(u"a\r\nb\0\0\0\0", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(visible(c.input));
        ustring text = c.input;
        toWindowsNewlines(text);
        EXPECT_EQ(visible(text), visible(c.expected));
    }
}
