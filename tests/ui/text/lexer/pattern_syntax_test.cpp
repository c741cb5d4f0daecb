#include "ui/text/lexer/pattern_syntax.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/unicode.h"

namespace {

std::string narrow(const ustring& text) { return toUtf8(text); }

std::vector<ustring> texts(const std::vector<slate::usubstring>& views)
{
    std::vector<ustring> result;
    for (const slate::usubstring& view : views)
        result.push_back(view.str());
    return result;
}

char groupLetter(GroupKind kind)
{
    switch (kind) {
    case GroupKind::Capture: return 'c';
    case GroupKind::NonCapture: return 'n';
    case GroupKind::Atomic: return 'a';
    case GroupKind::LookAhead: return 'l';
    case GroupKind::NegativeLookAhead: return 'L';
    case GroupKind::LookBehind: return 'b';
    case GroupKind::NegativeLookBehind: return 'B';
    case GroupKind::Absent: return '~';
    case GroupKind::Other: return 'o';
    }
    return '?';
}

// The tokens of `pattern`, one word each: "c41" a character by its code
// ("i" after it when read without case), "e\d" another escape, "q1" a
// quantifier by its minimum, "(n" a group by its kind, "#" a comment,
// "[", "[^", "]", "p" a POSIX class, "&" an intersection, "o" options,
// "a." an anchor or dot, "|", ")", "?" a unit not followed, "!" invalid.
std::string describe(const ustring& pattern)
{
    std::string text;
    PatternCursor cursor(pattern);
    for (PatternToken token = cursor.next(); !token.is(PatternTokenKind::End);
         token = cursor.next()) {
        const std::string written = narrow(ustring(token.begin, token.end));
        if (!text.empty())
            text += ' ';
        switch (token.kind) {
        case PatternTokenKind::End: break;
        case PatternTokenKind::Character: {
            char code[16];
            std::snprintf(code, sizeof code, "c%X", token.code);
            text += code;
            if (token.options.ignoreCase)
                text += 'i';
            break;
        }
        case PatternTokenKind::Escape: text += "e" + written; break;
        case PatternTokenKind::Any:
        case PatternTokenKind::LineAnchor: text += "a" + written; break;
        case PatternTokenKind::Quantifier: text += "q" + std::to_string(token.minimum); break;
        case PatternTokenKind::Alternation: text += '|'; break;
        case PatternTokenKind::GroupOpen:
            text += '(';
            text += groupLetter(token.group);
            text += narrow(token.name.str());
            break;
        case PatternTokenKind::GroupClose: text += ')'; break;
        case PatternTokenKind::Options: text += 'o'; break;
        case PatternTokenKind::Comment: text += '#'; break;
        case PatternTokenKind::ClassOpen: text += token.negated ? "[^" : "["; break;
        case PatternTokenKind::ClassClose: text += ']'; break;
        case PatternTokenKind::PosixClass:
            text += (token.negated ? "p^" : "p") + narrow(token.name.str());
            break;
        case PatternTokenKind::Intersection: text += '&'; break;
        case PatternTokenKind::Other: text += "?" + written; break;
        case PatternTokenKind::Invalid: text += "!" + written; break;
        }
    }
    return text;
}

TEST(PatternCursor, CutsPatternsAsTheEngineReadsThem)
{
    struct Case {
        const char* name;
        const char16_t* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"characters and escapes", u"a\\.\\t\\x41\\x{20AC}\\u00e9", "c61 c2E c9 c41 c20AC cE9"},
        {"a surrogate pair is one character", u"\U0001F600", "c1F600"},
        {"shorthand classes and anchors", u"\\d\\W\\b\\G", "e\\d e\\W e\\b e\\G"},
        {"control and meta characters are whole", u"\\cA\\C-b\\M-x\\M-\\C-x",
         "e\\cA e\\C-b e\\M-x e\\M-\\C-x"},
        {"numbered escapes take all their digits", u"\\1\\12\\0", "e\\1 e\\12 e\\0"},
        {"names and properties carry their text", u"\\k<n>\\g'1'\\p{Lu}\\o{101}",
         "e\\k<n> e\\g'1' e\\p{Lu} e\\o{101}"},
        {"quantifiers", u"a?*+{2}{2,}{,3}{1,4}", "c61 q0 q0 q1 q2 q2 q0 q1"},
        {"a brace that begins no repeat", u"a{x}{,}", "c61 ?{ c78 ?} ?{ c2C ?}"},
        {"groups", u"(a)(?:b)(?>c)(?=d)(?!e)(?<=f)(?<!g)(?~h)",
         "(c c61 ) (n c62 ) (a c63 ) (l c64 ) (L c65 ) (b c66 ) (B c67 ) (~ c68 )"},
        {"named groups", u"(?<n>a)(?'m'b)", "(cn c61 ) (cm c62 )"},
        {"conditions are not followed", u"(?(1)a)", "(o (c c31 ) c61 )"},
        {"options for the rest of the group", u"a(?i)b(c)|d", "c61 o c62i (c c63i ) | c64i"},
        {"an option group ends with its group", u"(?i:a)b", "(n c61i ) c62"},
        {"blanks and comments under x", u"(?x: a # b (\n)\\ ", "(n # c61 # ) c20"},
        {"a comment may hold an escaped parenthesis", u"(?#a\\)b)c", "# c63"},
        {"classes", u"[a-c][^]x]", "[ c61 c2D c63 ] [^ c5D c78 ]"},
        {"POSIX, nested classes and intersections", u"[[:alpha:][:^digit:][b]&&c]",
         "[ palpha p^digit [ c62 ] & c63 ]"},
        {"inside a class nothing is a group", u"[(|)#]", "[ c28 c7C c29 c23 ]"},
        {"escapes inside a class", u"[\\]\\cA\\x80]", "[ c5D e\\cA c80 ]"},
        {"a stray bracket or close", u"]})", "?] ?} )"},
        {"backslash at the end", u"a\\", "c61 !\\"},
        {"hex escape without digits", u"\\xg", "!\\x c67"},
        {"control escape at the end", u"\\C-", "!\\C-"},
        {"meta escape without its dash", u"\\Mx", "!\\M c78"},
        {"unclosed group head", u"(?", "!(?"},
        {"unclosed name", u"(?<n", "!(?<n"},
        {"unclosed comment", u"(?#a", "!(?#a"},
        {"unclosed class", u"[ab", "[ c61 c62 !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(c.pattern), c.expected);
    }
}

TEST(SearchAnchor, LeadingOnlyWhenEveryAnchorBeginsAnAlternative)
{
    struct Case {
        const char16_t* pattern;
        SearchAnchor expected;
    };
    const Case cases[] = {
        {u"\\Gx", SearchAnchor::Leading},
        {u"\\G(x)|\\G(y)|z", SearchAnchor::Leading},
        {u"x", SearchAnchor::None},
        {u"\\\\G", SearchAnchor::None},
        {u"(?#\\G)x", SearchAnchor::None},
        {u"x(", SearchAnchor::None},
        {u"x\\G", SearchAnchor::Anywhere},
        {u"[\\G]", SearchAnchor::Anywhere},
        {u"\\Ga|(?<=\\G.)b", SearchAnchor::Anywhere},
        {u"\\G(?:a|\\Gb)", SearchAnchor::Anywhere},
        {u"(?#)\\G", SearchAnchor::Anywhere},
        {u"\\G\\", SearchAnchor::Anywhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.pattern));
        EXPECT_EQ(searchAnchorOf(slate::usubstring(c.pattern)), c.expected);
    }
}

TEST(WidenByteEscapes, RewritesOnlyByteEscapesTheEngineWouldSee)
{
    struct Case {
        const char16_t* pattern;
        const char16_t* widened; // null: unchanged
    };
    const Case cases[] = {
        {u"[\\x80-\\xFF]", u"[\\x{80}-\\x{FF}]"},
        {u"\\018", u"\\x{1}8"},
        {u"\\0777", u"\\x{3F}7"},
        {u"\\\\x80", nullptr},
        {u"(?#\\x80)", nullptr},
        {u"\\cA\\x{80}\\7", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.pattern));
        ustring widened = u"untouched";
        const bool changed = widenByteEscapes(slate::usubstring(c.pattern), widened);
        if (!c.widened) {
            EXPECT_FALSE(changed);
            EXPECT_EQ(widened, u"untouched");
        } else {
            EXPECT_TRUE(changed);
            EXPECT_EQ(narrow(widened), narrow(c.widened));
        }
    }
}

TEST(BackReferences, HasBackReferencesSeesOnlyUnescapedBackslashDigit)
{
    struct Case {
        const char16_t* pattern;
        bool expected;
    };
    const Case cases[] = {
        {u"(a)\\1", true},   {u"\\\\1", false},  {u"\\d", false},    {u"", false},
        {u"abc\\", false},   {u"\\\\\\1", true}, {u"x\\0", true},    {u"\\k<n>", false},
        {u"\\\\\\\\2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.pattern));
        EXPECT_EQ(hasBackReferences(slate::usubstring(c.pattern)), c.expected);
    }
}

TEST(BackReferences, FindBackReferencesGivesEachReferenceWithAllItsDigits)
{
    struct Case {
        const char16_t* pattern;
        std::vector<ustring> expected;
    };
    const Case cases[] = {
        {u"x\\1y\\23", {u"\\1", u"\\23"}},
        {u"\\\\1\\2", {u"\\2"}},
        {u"\\d\\w+", {}},
        {u"(a)\\1\\1", {u"\\1", u"\\1"}},
        {u"\\", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.pattern));
        std::vector<slate::usubstring> references;
        findBackReferences(slate::usubstring(c.pattern), references);
        EXPECT_EQ(texts(references), c.expected);
    }
}

TEST(BackReferences, FindBackReferencesAppendsExtentsInsideThePattern)
{
    ustring pattern = u"a\\1";
    std::vector<slate::usubstring> references = {slate::usubstring()};
    findBackReferences(pattern, references);
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(references[1].begin, pattern.data() + 1);
    EXPECT_EQ(references[1].end, pattern.data() + 3);
}

} // namespace
