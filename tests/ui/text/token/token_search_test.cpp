// Searching a token storage: anchors and word boundaries at a mid-text
// start, lines, empty matches, formatting, errors and unpaired surrogates;
// plain text found exactly as the regular expression engine finds it.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "ui/text/lexer/pattern_syntax.h"
#include "ui/text/token/token_storage.h"

namespace {

TokenStorage* storageWith(const ustring& text)
{
    auto* storage = new TokenStorage;
    storage->insert(0, text);
    return storage;
}

TEST(TokenSearch, FindFromAStartPositionSeesTheTextBeforeIt)
{
    //                                        0123456789012
    std::unique_ptr<TokenStorage> storage(storageWith(u"ab cab\nab xab"));
    struct Case {
        const char* name;
        const char16_t* pattern;
        int64_t start;
        SelectionRegion expected;
    };
    const Case cases[] = {
        {"^ at a mid-line start does not match there", u"^ab", 4, {7, 9}},
        {"^ right after a line break matches", u"^ab", 7, {7, 9}},
        {"^ at the very start", u"^ab", 0, {0, 2}},
        {"word start inside a word is no word start", u"\\<ab", 4, {7, 9}},
        {"word start after a blank is one", u"\\bab", 3, {7, 9}},
        {"\\b at a start inside a word does not hold", u"\\bab", 4, {7, 9}},
        {"a dot never crosses a line", u"b.a", 0, {-1, -1}},
        {"start past the end is clamped", u"ab", 99, {-1, -1}},
        {"negative start is clamped", u"ab", -5, {0, 2}},
        {"a found match past a token boundary", u"cab\\nab", 0, {3, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(storage->find(c.pattern, 0, c.start), c.expected);
    }
    EXPECT_EQ(storage->find(u"AB", kSearchIgnoreCase, 1), SelectionRegion(4, 6));
    EXPECT_EQ(storage->find(u"b.a", kSearchLiteral, 0), SelectionRegion(-1, -1));
}

TEST(TokenSearch, FindAllWithAnEmptyMatchingPatternEnds)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"ab\n\nb"));
    SelectionSet matches;
    storage->findAll(u"b*", 0, matches);
    // Empty matches everywhere except right after a non-empty match.
    const std::vector<SelectionRegion> expected = {{0, 0}, {1, 2}, {3, 3}, {4, 5}};
    EXPECT_EQ(matches.regions(), expected);

    SelectionSet lines;
    storage->findAll(u"^", 0, lines);
    EXPECT_EQ(lines.regions(), (std::vector<SelectionRegion>{{0, 0}, {3, 3}, {4, 4}}));
}

TEST(TokenSearch, FormatsEachMatch)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"key=value\nname=x\n"));
    SelectionSet matches;
    std::vector<ustring> formatted;
    const ustring format = u"$2:$1";
    storage->findAll(u"(\\w+)=(\\w+)", 0, matches, &format, &formatted);
    EXPECT_EQ(formatted, (std::vector<ustring>{u"value:key", u"x:name"}));

    formatted.clear();
    EXPECT_EQ(storage->find(u"name", kSearchLiteral, 0, &format, &formatted), SelectionRegion(10, 14));
    EXPECT_EQ(formatted, std::vector<ustring>{u"$2:$1"});
}

TEST(TokenSearch, FindAllInSearchesEachRegionAsATextOfItsOwn)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"abab abab"));
    SelectionSet regions;
    regions.push_back(SelectionRegion(1, 4));
    regions.push_back(SelectionRegion(5, 9));
    SelectionSet matches;
    storage->findAllIn(u"^ab", 0, regions, matches);
    // Each region's start counts as the start of a text.
    EXPECT_EQ(matches.regions(), (std::vector<SelectionRegion>{{5, 7}}));
    matches.clear();
    storage->findAllIn(u"ab", 0, regions, matches);
    EXPECT_EQ(matches.regions(), (std::vector<SelectionRegion>{{2, 4}, {5, 7}, {7, 9}}));
}

TEST(TokenSearch, AnInvalidPatternNamesItselfInTheError)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"text"));
    try {
        storage->find(u"a(b", 0, 0);
        FAIL() << "no error";
    } catch (const RegexError& error) {
        EXPECT_FALSE(error.abandoned());
        const std::string message = error.what();
        const std::string tail = " in regular expression a(b";
        ASSERT_GE(message.size(), tail.size());
        EXPECT_EQ(message.substr(message.size() - tail.size()), tail);
    }
    SelectionSet matches;
    EXPECT_THROW(storage->findAll(u"[", 0, matches), RegexError);
}

TEST(TokenSearch, AMatchTheEngineAbandonsIsARegexError)
{
    std::unique_ptr<TokenStorage> storage(storageWith(ustring(200000, u'a')));
    const ustring pattern = u"(a|aa)*b";
    SelectionSet regions;
    regions.add(SelectionRegion(0, storage->size()));
    struct Case {
        const char* name;
        std::function<void()> search;
    };
    const Case cases[] = {
        {"find", [&] { storage->find(pattern, 0, 0); }},
        {"findAll", [&] { SelectionSet out; storage->findAll(pattern, 0, out); }},
        {"findAllIn", [&] { SelectionSet out; storage->findAllIn(pattern, 0, regions, out); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.search();
            FAIL() << "no error";
        } catch (const RegexError& error) {
            EXPECT_TRUE(error.abandoned());
            EXPECT_NE(std::string(error.what()).find(" in regular expression (a|aa)*b"), std::string::npos);
        } catch (const std::exception& error) {
            FAIL() << "the engine's own error: " << error.what();
        }
    }
}

TEST(TokenSearch, UnpairedSurrogatesDoNotStopTheSearch)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"a\xD800 b\xDC00 c \xD83D\xDE00 d"));
    SelectionSet matches;
    storage->findAll(u"\\w", 0, matches);
    EXPECT_EQ(matches.regions(), (std::vector<SelectionRegion>{{0, 1}, {3, 4}, {6, 7}, {11, 12}}));
    EXPECT_EQ(storage->find(u"\xD83D\xDE00", 0, 0), SelectionRegion(8, 10));
    EXPECT_EQ(storage->find(u".", 0, 1), SelectionRegion(1, 2)); // read as U+FFFD
}

// Plain text (literal, or an expression without special characters) is
// compared without the engine; what it finds must be what the engine finds
// for the same text escaped, from every start, with and without
// case, across tokens and lines, beside surrogates and case mappings that are
// not one-to-one (the Kelvin sign lowers to "k", final sigma stays apart).
TEST(TokenSearch, PlainTextFindsWhatTheEngineFinds)
{
    const ustring text = u"Ab aB\nab-AB aaa K\u212Ak \u03A3\u03C3\u03C2 \u0130i "
                         u"\xD801\xDC00\xD801\xDC28 \xD800" u"a \xDC00" u"b \uFFFDab\nab";
    std::unique_ptr<TokenStorage> storage(storageWith(text));
    const ustring patterns[] = {u"ab",  u"b\na",        u"aa",   u"k",          u"\u03C3", u"i",
                                u"a b", u"\u0130",      u"x",    u"Ab aB\nab", u"b\nab",  text + u"!",
                                u"b ",  u"\xD801\xDC00"};
    SelectionSet regions;
    regions.add(SelectionRegion(1, 9));
    regions.add(SelectionRegion(12, 16));
    for (const ustring& pattern : patterns) {
        for (const uint32_t caseFlag : {0u, static_cast<uint32_t>(kSearchIgnoreCase)}) {
            SCOPED_TRACE(testing::Message() << "pattern of " << pattern.size() << " units starting "
                                            << static_cast<int>(pattern[0]) << ", flags " << caseFlag);
            // The escaped text is itself plain where it needs no escape; a
            // group keeps the reference search in the engine.
            const ustring escaped = escapeRegex(pattern);
            const ustring grouped = u"(?:" + escaped + u")";
            const struct {
                ustring pattern;
                uint32_t flags;
            } searches[] = {{pattern, kSearchLiteral | caseFlag}, {escaped, caseFlag}};
            SelectionSet engine;
            storage->findAll(grouped, caseFlag, engine);
            SelectionSet engineIn;
            storage->findAllIn(grouped, caseFlag, regions, engineIn);
            for (const auto& search : searches) {
                SelectionSet all;
                storage->findAll(search.pattern, search.flags, all);
                EXPECT_EQ(all.regions(), engine.regions());
                SelectionSet in;
                storage->findAllIn(search.pattern, search.flags, regions, in);
                EXPECT_EQ(in.regions(), engineIn.regions());
                for (int64_t start = 0; start <= storage->size(); ++start)
                    ASSERT_EQ(storage->find(search.pattern, search.flags, start),
                              storage->find(grouped, caseFlag, start))
                        << "from " << start << " with flags " << search.flags;
            }
        }
    }
}

TEST(TokenSearch, PlainTextFormatIsCopiedAsItIs)
{
    std::unique_ptr<TokenStorage> storage(storageWith(u"one two one"));
    const ustring format = u"$1\\0 \\n";
    std::vector<ustring> formatted;
    EXPECT_EQ(storage->find(u"one", kSearchLiteral, 1, &format, &formatted), SelectionRegion(8, 11));
    SelectionSet matches;
    storage->findAll(u"ONE", kSearchLiteral | kSearchIgnoreCase, matches, &format, &formatted);
    EXPECT_EQ(formatted, (std::vector<ustring>{format, format, format}));
}

} // namespace
