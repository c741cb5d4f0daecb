// The commands a text control's context menu registers for the position it
// was opened at: spelling suggestions for the word there, adding and
// ignoring it, and dispatch's command line built from a match around it.
#include "controls/context_menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/text/package_test_support.h"
#include "ui/text/spell_checker.h"
#include "ui/string_utils.h"
#include "ui/text/text_function_fixture.h"
#include "ui/unicode.h"

namespace {

// Records the command lines it is asked to run.
class RecordingRunner final : public CommandRunner {
public:
    void exec(const slate::usubstring& line) override { lines.push_back(line.str()); }
    bool isEnabled(const slate::usubstring&) override { return true; }
    ustring value(const slate::usubstring&) override { return ustring(); }
    bool has(const slate::usubstring&) override { return true; }

    std::vector<ustring> lines;
};

// A view whose text is checked against tests/data/spelling/tiny.dic
// (apple banana brown cherry fox hello quick well world).
class ContextMenuTest : public TextFunctionTest {
protected:
    void SetUp() override
    {
        auto* files = new slate::FileManagerImpl;
        slate::FileManager::setInstance(files);
        slate::FileSystem* system = test_support::createFileSystem(test_support::dataPath("spelling").string());
        ASSERT_NE(system, nullptr);
        files->mount(u"Packages/Spelling", system);
        SpellCheckerManager::create();
    }
    void TearDown() override
    {
        m_view.reset();
        m_buffer.reset();
        SpellCheckerManager::destroy();
        slate::FileManager::destroy();
    }

    // Opens `text` checked for spelling and the menu at `point`.
    void openMenu(const ustring& text, int64_t point)
    {
        open(text);
        m_buffer->m_tokenStorage->setSpellChecker(
            SpellCheckerManager::get().spellChecker(u"Packages/Spelling/tiny.dic"));
        textContextMenu(m_view, m_map, point, &m_runner);
    }
    bool enabled(const ustring& line) { return m_map.isEnabled(slate::usubstring(line)); }
    ustring value(const ustring& line) { return m_map.value(slate::usubstring(line)); }
    void run(const ustring& line) { m_map.exec(slate::usubstring(line)); }

    CommandMap m_map;
    RecordingRunner m_runner;
};

TEST_F(ContextMenuTest, SuggestionsOfTheMisspelledWordAreTheEntriesCaptions)
{
    openMenu(u"hello wrold fox", 8);
    std::vector<ustring> suggestions;
    SpellCheckerManager::get().spellChecker(u"Packages/Spelling/tiny.dic")->suggest(u"wrold", suggestions);
    ASSERT_FALSE(suggestions.empty());
    EXPECT_EQ(suggestions[0], u"world");
    for (size_t i = 0; i <= suggestions.size(); ++i) {
        const ustring line = u"spellingSuggestion " + intToString(static_cast<int>(i));
        SCOPED_TRACE(toUtf8(line));
        const bool exists = i < suggestions.size();
        EXPECT_EQ(enabled(line), exists);
        EXPECT_EQ(value(line), exists ? suggestions[i] : ustring());
    }
    for (const char16_t* line : {u"spellingSuggestion -1", u"spellingSuggestion"}) {
        SCOPED_TRACE(toUtf8(line));
        EXPECT_FALSE(enabled(line));
        EXPECT_EQ(value(line), u"");
    }
    EXPECT_EQ(value(u"addWord"), u"wrold");
    EXPECT_EQ(value(u"ignoreWord"), u"wrold");

    run(u"spellingSuggestion 0");
    EXPECT_EQ(text(), u"hello world fox");
    EXPECT_EQ(*m_buffer->undoStack().top().commandText, u"Replace Characters");
}

TEST_F(ContextMenuTest, WordWithoutSuggestionsShowsADisabledPlaceholder)
{
    openMenu(u"qqqqqqqqqq", 3);
    EXPECT_FALSE(enabled(u"spellingSuggestion 0"));
    EXPECT_EQ(value(u"spellingSuggestion 0"), u"(no suggestions)");
    EXPECT_EQ(value(u"spellingSuggestion 1"), u"");
    run(u"spellingSuggestion 0");
    EXPECT_EQ(text(), u"qqqqqqqqqq");
}

TEST_F(ContextMenuTest, AddedAndIgnoredWordsGoToTheirLists)
{
    openMenu(u"zorp blick", 1);
    run(u"addWord");
    textContextMenu(m_view, m_map, 7, &m_runner);
    run(u"ignoreWord");
    const std::vector<std::string> added = {"zorp"};
    EXPECT_EQ(SpellCheckerManager::get().addedWords(), added);
    ASSERT_EQ(SpellCheckerManager::get().ignoredWords().size(), 1u);
    EXPECT_EQ(SpellCheckerManager::get().ignoredWords()[0].str(), "blick");
}

TEST_F(ContextMenuTest, MenuOnACorrectWordDropsTheSpellingEntriesOfTheLastMenu)
{
    openMenu(u"hello wrold", 8);
    ASSERT_TRUE(m_map.has(slate::usubstring(ustring(u"addWord"))));
    textContextMenu(m_view, m_map, 1, &m_runner);
    for (const char16_t* name : {u"spellingSuggestion 0", u"addWord", u"ignoreWord"}) {
        SCOPED_TRACE(toUtf8(name));
        EXPECT_FALSE(m_map.has(slate::usubstring(ustring(name))));
        EXPECT_FALSE(enabled(name));
    }
    EXPECT_TRUE(m_map.has(slate::usubstring(ustring(u"dispatch"))));
}

TEST_F(ContextMenuTest, DispatchFindsTheMatchTouchingThePointWithinItsLine)
{
    struct Case {
        const char* name;
        ustring text;
        int64_t point;
        const char16_t* line;
        bool found;
        ustring match;
    };
    const ustring issues = u"see #12 and #345\n#6";
    const Case cases[] = {
        {"a match around the point", issues, 14, u"dispatch x 10 #[0-9]+", true, u"#345"},
        {"the point at a match's start", issues, 12, u"dispatch x 10 #[0-9]+", true, u"#345"},
        {"the point at a match's end", issues, 7, u"dispatch x 10 #[0-9]+", true, u"#12"},
        {"radius 0 finds a match starting at the point", issues, 12, u"dispatch x 0 #[0-9]+", true, u"#345"},
        {"radius 0 finds a match ending at the point", issues, 16, u"dispatch x 0 #[0-9]+", true, u"#345"},
        {"radius 0 stays on the point's line", issues, 16, u"dispatch x 0 [0-9]\\n#", false, u""},
        {"a large radius stays on the point's line", issues, 16, u"dispatch x 100 [0-9]\\n#", false, u""},
        {"the radius cuts the match", issues, 13, u"dispatch x 1 #[0-9]+", true, u"#3"},
        {"no match touches the point", issues, 9, u"dispatch x 10 #[0-9]+", false, u""},
        {"a capture group with five arguments", issues, 5, u"dispatch x 10 \"#([0-9])([0-9])\" 2", true,
         u"2"},
        {"a group the pattern lacks takes the whole match", issues, 5, u"dispatch x 10 #([0-9]+) 7", true,
         u"#12"},
        {"the group is ignored past five arguments", issues, 5, u"dispatch x 10 #([0-9]+) 1 more", true,
         u"#12"},
        {"offsets past surrogate pairs", u"\U0001F600\U0001F600 ab", 7, u"dispatch x 0 [a-z]+", true, u"ab"},
        {"too few arguments", issues, 5, u"dispatch x 10", false, u""},
        {"an empty line", u"a\n\nb", 2, u"dispatch x 0 .*", false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openMenu(c.text, c.point);
        EXPECT_EQ(enabled(c.line), c.found);
        EXPECT_EQ(value(c.line), c.match);
    }
}

TEST_F(ContextMenuTest, DispatchFillsTheCommandOnceWithTheEscapedAndTheEncodedMatch)
{
    struct Case {
        const char* name;
        ustring text;
        const char16_t* line;
        ustring command;
    };
    const Case cases[] = {
        {"escaped for a quoted argument", u"a\"b", u"dispatch \"open \\\"%s\\\"\" 10 .+",
         u"open \"a\\\"b\""},
        {"the raw match url-encoded", u"a\"b/c", u"dispatch \"go %u\" 10 .+", u"go a%22b%2Fc"},
        {"a match holding the markers is not filled again", u"%u%s", u"dispatch \"x %s %u\" 10 .+",
         u"x %u%s %25u%25s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_runner.lines.clear();
        openMenu(c.text, 0);
        run(c.line);
        EXPECT_EQ(m_runner.lines, std::vector<ustring>{c.command});
    }
}

TEST_F(ContextMenuTest, DispatchWithoutARunnerDoesNothing)
{
    openMenu(u"word", 0);
    textContextMenu(m_view, m_map, 0, nullptr);
    const ustring line = u"dispatch \"insertCharacters %s\" 0 [a-z]+";
    EXPECT_TRUE(enabled(line));
    run(line);
    EXPECT_TRUE(m_runner.lines.empty());
    EXPECT_EQ(text(), u"word");
}

TEST_F(ContextMenuTest, BadPatternIsShownInAnErrorBox)
{
    package_test::ReportedErrors errors;
    openMenu(u"word", 0);
    EXPECT_FALSE(enabled(u"dispatch x 0 \"a(\""));
    const std::vector<std::string> reported = errors.take();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find(" in regular expression a("), std::string::npos) << reported[0];
}

TEST_F(ContextMenuTest, NoViewRegistersNothing)
{
    textContextMenu(nullptr, m_map, 0, &m_runner);
    EXPECT_TRUE(m_map.empty());
}

} // namespace
