// Token records: interning by text, scope and line-start state, the growth
// of the interning set, the spelling marks, and the compaction that keeps
// records no longer used from piling up.
#include <gtest/gtest.h>

#include <set>

#include "support/fixed_advance_font.h"
#include "ui/arena_allocator.h"
#include "ui/text/scope_name_pool.h"
#include "ui/text/token/token_set.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/token/token_test_support.h"

namespace {

TEST(TokenRecords, SameTextAndScopeFromAnotherLineStateIsAnotherRecord)
{
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    // "a" outside a comment on lines 1 and 3, and on line 2 after a comment
    // that ended on the line before (another line-start state).
    storage.insert(0, u"a\n/*\n*/a\na\n");
    std::vector<const Token*> as;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it)
        if ((*it)->length() == 1 && (*it)->begin[0] == u'a')
            as.push_back(*it);
    ASSERT_EQ(as.size(), 3u);
    EXPECT_EQ(as[0], as[2]);
    EXPECT_NE(as[0], as[1]);
    EXPECT_EQ(as[0]->scope, as[1]->scope);
    EXPECT_NE(as[0]->state, as[1]->state);
}

TEST(TokenRecords, TheSeventeenthRecordGrowsTheSet)
{
    ArenaAllocator arena;
    TokenSet set;
    std::vector<ustring> texts;
    for (int i = 0; i < 17; ++i)
        texts.push_back(ustring(1, static_cast<uchar>(u'a' + i)));
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(i);
        Token* token = arena.allocateArray<Token>(1);
        *token = Token{texts[i].data(), texts[i].data() + 1, nullptr, nullptr, 0.f, 1};
        const uint32_t hash = TokenSet::hash(token->begin, token->end, nullptr, nullptr);
        ASSERT_EQ(set.find(token->begin, token->end, nullptr, nullptr, hash), nullptr);
        set.insert(token, hash);
        EXPECT_EQ(set.slotCount(), i < 16 ? 32u : 64u);
        EXPECT_EQ(set.find(token->begin, token->end, nullptr, nullptr, hash), token);
    }
    for (const ustring& text : texts)
        EXPECT_NE(set.find(text.data(), text.data() + 1, nullptr, nullptr,
                           TokenSet::hash(text.data(), text.data() + 1, nullptr, nullptr)),
                  nullptr);
    set.clear();
    EXPECT_EQ(set.slotCount(), 32u);
    EXPECT_EQ(set.size(), 0u);
}

TEST(TokenRecords, WithoutASpellCheckerNothingIsMisspelled)
{
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    storage.insert(0, u"/* zqxv wrods */ \"mispeled\" plian\n");
    EXPECT_EQ(storage.misspelledCount(), 0);
    SelectionSet words;
    storage.misspelledWords(words);
    EXPECT_TRUE(words.empty());
}

TEST(TokenRecords, CommentsAndStringsInSourceAreCheckedKeywordsAndCodeAreNot)
{
    ArenaAllocator arena;
    ScopeNamePool pool(arena);
    TokenStorage storage;
    struct Case {
        const char16_t* scope;
        bool checked;
    };
    const Case cases[] = {
        {u"comment.line.c source.c ", true},
        {u"string.quoted.double.c source.c ", true},
        {u"punctuation.definition.string.begin.c string.quoted.double.c source.c ", false},
        {u"keyword.control.c source.c ", false},
        {u"source.c ", false},
        {u"comment.block.preprocessor source.c ", false},
        // Include paths, as older and newer grammars scope them.
        {u"string.quoted.other.lt-gt.include.c meta.preprocessor.c.include source.c ", false},
        {u"string.quoted.other.lt-gt.include.c meta.preprocessor.include.c source.c ", false},
        {u"text.plain ", true},
        {u"markup.raw.block.markdown text.html.markdown ", true},
        {u"markup.underline.link.markdown text.html.markdown ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.scope)));
        const ScopeRecord* scope = pool.intern(slate::usubstring(c.scope));
        EXPECT_EQ(storage.spellingFilter().shouldCheckSpelling(scope), c.checked);
        // The decision is remembered per scope id.
        EXPECT_EQ(storage.spellingFilter().shouldCheckSpelling(scope), c.checked);
    }
}

TEST(TokenRecords, TrimWordDropsSeparatorsAndNonAsciiFromBothEnds)
{
    struct Case {
        const char16_t* text;
        int64_t begin;
        int64_t end;
    };
    const Case cases[] = {
        {u"(word,", 1, 5},
        {u"word", 0, 4},
        {u"\"it's\"", 1, 5},
        {u"\xE9t\xE9", 1, 2},
        {u"(),.", 4, 4},
        {u"", 0, 0},
        {u" \tx\n", 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.text)));
        const ustring text = c.text;
        SelectionRegion region(10, 10 + static_cast<int64_t>(text.size()));
        slate::usubstring view(text);
        trimWord(region, view);
        EXPECT_EQ(region.begin(), 10 + c.begin);
        EXPECT_EQ(region.end(), 10 + std::max(c.begin, c.end));
        EXPECT_EQ(view.str(), text.substr(c.begin, std::max<int64_t>(0, c.end - c.begin)));
    }
}

// Every keystroke re-lexes the line and interns a record holding the whole
// line; the records of the shorter lines it replaced must not pile up.
TEST(TokenRecords, TypingALongLineKeepsRecordMemoryProportionalToTheText)
{
    FixedAdvanceFont font(10.f, 10.f);
    LayoutSettings settings;
    settings.font = &font;
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    storage.insert(0, u"if x\n/* note */\nhead\n\"s\"\n");
    storage.addLayout(settings);
    // A mark set on a record of a line the typing never touches must stay.
    Token* note = *bucket_container::iterator(storage.tokenAt(8));
    ASSERT_EQ(ustring(note->begin, note->end), u"note ");
    note->spellingOk = 0;

    const int kTyped = 6000;
    int64_t at = 20; // the end of "head"
    for (int i = 0; i < kTyped; ++i)
        ASSERT_TRUE(storage.insert(at++, u"a"));
    EXPECT_TRUE(storage.str() == u"if x\n/* note */\nhead" + ustring(kTyped, u'a') + u"\n\"s\"\n");
    // Without compaction the records of every intermediate line, some 36 MB.
    EXPECT_LT(storage.tokenRecordBytes(),
              2 * TokenStorage::kRecordCompactionFloor + 64 * static_cast<size_t>(storage.size()));

    storage.compactRecords();
    std::set<const Token*> live;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it) {
        const Token* token = *it;
        live.insert(token);
        SCOPED_TRACE(toUtf8(ustring(token->begin, token->end)));
        EXPECT_EQ(*token->end, 0);
        EXPECT_EQ(storage.tokenSet().find(token->begin, token->end, token->scope, token->state,
                                          TokenSet::hash(token->begin, token->end, token->scope,
                                                         token->state)),
                  token);
        EXPECT_EQ(token->width, 10.f * static_cast<float>(token->length()));
    }
    EXPECT_EQ(storage.tokenSet().size(), live.size());
    Token* noteAfter = *bucket_container::iterator(storage.tokenAt(8));
    EXPECT_EQ(ustring(noteAfter->begin, noteAfter->end), u"note ");
    EXPECT_EQ(noteAfter->spellingOk, 0);
    noteAfter->spellingOk = 1;
    // Lexing still works from the copied records.
    ASSERT_TRUE(storage.insert(storage.size() - 4, u"/*"));
    storage.validateUntil(storage.size());
    EXPECT_EQ(storage.scopeNameAt(storage.size() - 2).str().find(u"comment.block"), 0u);
}

} // namespace
