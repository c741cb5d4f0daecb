// The per-buffer cache of indentation patterns.
#include "ui/text/indent_pattern_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/log.h"
#include "ui/text/scope_name_pool.h"

namespace {

// Settings by name and scope id, counting the lookups.
class TableSettings final : public ScopeSettingSource {
public:
    void set(const ustring& name, const ScopeRecord* scope, std::any value)
    {
        m_values[{name, scope->id}] = std::move(value);
    }
    const std::any* lookup(const ustring& name, const ScopeRecord* scope) const override
    {
        ++lookups;
        auto found = m_values.find({name, scope->id});
        return found == m_values.end() ? nullptr : &found->second;
    }

    mutable int lookups = 0;

private:
    std::map<std::pair<ustring, int32_t>, std::any> m_values;
};

class RecordingListener final : public DebugListener {
public:
    RecordingListener() { addDebugListener(this); }
    ~RecordingListener() override { removeDebugListener(this); }
    void message(const uchar* text) override { messages.emplace_back(text); }
    std::vector<ustring> messages;
};

const ustring kIncrease = u"increaseIndentPattern";
const ustring kDecrease = u"decreaseIndentPattern";

class IndentPatternCacheTest : public testing::Test {
protected:
    const ScopeRecord* scope(const ustring& text)
    {
        return m_pool.intern(slate::usubstring(text.data(), text.data() + text.size()));
    }

    ArenaAllocator m_arena;
    ScopeNamePool m_pool{m_arena};
    TableSettings m_settings;
};

TEST_F(IndentPatternCacheTest, PatternsMatchAnchoredAtTheStartOfTheText)
{
    struct Case {
        const char16_t* pattern;
        const char16_t* text;
        bool increase;
    };
    const Case cases[] = {
        {u"if", u"if (x)", true},
        {u"if", u"  if (x)", false},          // anchored: blanks come first
        {u"\\s*if\\b", u"  if (x)", true},    // the pattern allows them itself
        {u".*\\{\\s*$", u"int f() {", true},  // skipping ahead is the pattern's doing
        {u"\\{", u"int f() {", false},        // not a search
        {u"x*", u"", true},                   // the empty text, a pattern accepting it
        {u"x+", u"", false},
        {u"^\\s*\\}", u"}", true},
        {u"\u00e9t\u00e9", u"\u00e9t\u00e9 ici", true}, // text beyond ASCII
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.pattern)) + " on " +
                     testing::PrintToString(std::u16string(c.text)));
        const ScopeRecord* s = scope(u"source.test");
        m_settings.set(kIncrease, s, ustring(c.pattern));
        IndentPatternCache cache(m_settings);
        EXPECT_EQ(c.increase, cache.matchesIncreaseIndent(c.text, s));
        EXPECT_FALSE(cache.matchesDecreaseIndent(c.text, s)); // no such setting
    }
}

TEST_F(IndentPatternCacheTest, AScopeWithoutAStringSettingNeverMatches)
{
    const ScopeRecord* none = scope(u"source.none");
    const ScopeRecord* number = scope(u"source.number");
    m_settings.set(kDecrease, number, 12);
    IndentPatternCache cache(m_settings);
    for (const ustring& text : {ustring(), ustring(u"a"), ustring(u"a^"), ustring(u"  }")}) {
        EXPECT_FALSE(cache.matchesIncreaseIndent(text, none));
        EXPECT_FALSE(cache.matchesDecreaseIndent(text, number));
    }
    EXPECT_FALSE(cache.matchesIncreaseIndent(u"x", nullptr));
    // Both fall back to the one never-matching pattern.
    EXPECT_EQ(1u, cache.compiledCount());
    EXPECT_EQ(cache.patternFor(none, kIncrease), cache.patternFor(number, kDecrease));
}

TEST_F(IndentPatternCacheTest, LooksUpOncePerScopeAndSharesEqualPatterns)
{
    const ScopeRecord* first = scope(u"source.a");
    const ScopeRecord* second = scope(u"source.b");
    m_settings.set(kIncrease, first, ustring(u"\\s*\\{"));
    m_settings.set(kIncrease, second, ustring(u"\\s*\\{"));
    m_settings.set(kDecrease, second, ustring(u"\\s*\\}"));
    IndentPatternCache cache(m_settings);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(cache.matchesIncreaseIndent(u"  {", first));
        EXPECT_TRUE(cache.matchesIncreaseIndent(u"{", second));
        EXPECT_TRUE(cache.matchesDecreaseIndent(u"}", second));
    }
    EXPECT_EQ(3, m_settings.lookups);
    EXPECT_EQ(2u, cache.compiledCount());
    EXPECT_EQ(cache.patternFor(first, kIncrease), cache.patternFor(second, kIncrease));

    // A scope with a larger id than any seen grows the vector and leaves the
    // earlier slots as they were.
    const CachedRegex* kept = cache.patternFor(first, kIncrease);
    const ScopeRecord* between = nullptr;
    for (char16_t i = 0; i < 40; ++i)
        between = scope(u"source.pad" + ustring(1, char16_t(u'A' + i)));
    const ScopeRecord* far = scope(u"source.far");
    ASSERT_GT(far->id, 40);
    m_settings.set(kIncrease, far, ustring(u"\\s*\\{"));
    EXPECT_TRUE(cache.matchesIncreaseIndent(u"{", far));
    EXPECT_EQ(kept, cache.patternFor(first, kIncrease));
    EXPECT_EQ(kept, cache.patternFor(far, kIncrease));
    EXPECT_EQ(nullptr, cache.patternFor(between, kIncrease));
}

TEST_F(IndentPatternCacheTest, ABadPatternIsReportedOnceAndNeverMatches)
{
    const ScopeRecord* first = scope(u"source.bad");
    const ScopeRecord* second = scope(u"source.alsobad");
    const ustring bad = u"(\\s*if unclosed and used by this test only";
    m_settings.set(kIncrease, first, bad);
    m_settings.set(kIncrease, second, bad);
    m_settings.set(kDecrease, first, ustring(u"\\s*end"));
    IndentPatternCache cache(m_settings);
    RecordingListener log;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NO_THROW(EXPECT_FALSE(cache.matchesIncreaseIndent(u"(if", first)));
        EXPECT_NO_THROW(EXPECT_FALSE(cache.matchesIncreaseIndent(u"", second)));
    }
    ASSERT_EQ(1u, log.messages.size());
    EXPECT_NE(ustring::npos, log.messages[0].find(bad)) << "the report names the pattern";
    // The other setting of the same scope is unaffected.
    EXPECT_TRUE(cache.matchesDecreaseIndent(u"end", first));
    // Another buffer's cache meets the same preference file: no new report.
    IndentPatternCache another(m_settings);
    EXPECT_FALSE(another.matchesIncreaseIndent(u"(if", first));
    EXPECT_EQ(1u, log.messages.size());
}

} // namespace
