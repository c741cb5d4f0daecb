// The spell checker in both test programs: natively with dictionaries on
// the POSIX file system, under Wine through Windows paths (Hunspell, a native
// library, must then be handed the Unix names behind them).
#include "ui/text/spell_checker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "filesystem/file_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/options.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// tests/data/spelling/tiny.dic: apple/S banana/S brown cherry fox hello quick
// well world, with an affix file whose only rule adds a plural "s".
const ustring kTinyDictionary = u"Packages/Spelling/tiny.dic";
const char* const kEnglishDirectory = "/usr/share/hunspell";

struct CountingListener : SpellingListener {
    int calls = 0;
    void spellingChanged() override { ++calls; }
};

std::vector<std::string> strings(const IgnoredWordList& words)
{
    std::vector<std::string> result;
    for (const slate::substring& word : words)
        result.push_back(word.str());
    return result;
}

class SpellCheckerTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto* files = new slate::FileManagerImpl;
        slate::FileManager::setInstance(files);
        mount(u"Packages/Spelling", test_support::dataPath("spelling"));
        SpellCheckerManager::create();
    }
    void TearDown() override
    {
        if (SpellCheckerManager::alive())
            SpellCheckerManager::destroy();
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    void mount(const ustring& mountPoint, const std::filesystem::path& directory)
    {
        slate::FileSystem* system = test_support::createFileSystem(directory);
        ASSERT_NE(nullptr, system) << directory;
        slate::FileManager::get().mount(mountPoint, system);
    }

    SpellCheckerManager& manager() { return SpellCheckerManager::get(); }
    slate::SP<SpellChecker> tiny() { return manager().spellChecker(kTinyDictionary); }

    // A fresh manager that has read what the current one wrote, passed
    // through the text of an options file.
    void saveAndRestartFromSession()
    {
        slate::SP<Options> written(new Options);
        manager().writeSession(*written);
        slate::SP<Options> read(new Options);
        read->parse(written->serialise());
        SpellCheckerManager::destroy();
        SpellCheckerManager::create();
        manager().readSession(*read);
    }
};

TEST_F(SpellCheckerTest, LooksUpTheWordWithoutTheSeparatorsAtItsEnds)
{
    struct Case {
        const char16_t* word;
        bool correct;
    };
    const Case cases[] = {
        {u"hello", true},
        {u"helo", false},
        {u"apples", true},     // the affix file was read
        {u"Hello", true},      // a capitalised word is looked up...
        {u"Helo", false},      // ...and can be wrong
        {u"(hello),", true},
        {u"(helo),", false},
        {u"hello   ", true},   // tokens carry their trailing blanks
        {u"\"Helo\"", false},  // a quoted capitalised word is still looked up
        {u"-hello-", true},
        {u"hello.", true},     // the full stop stays for the dictionary to judge
        {u"'world'\t", true},
    };
    slate::SP<SpellChecker> checker = tiny();
    ASSERT_TRUE(checker->hasDictionary());
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.word));
        EXPECT_EQ(c.correct, checker->check(slate::usubstring(c.word)));
    }
}

TEST_F(SpellCheckerTest, AcceptsWithoutLookupWhatIsNotAnAsciiWord)
{
    struct Case {
        const char16_t* word;
        bool correct;
    };
    const Case cases[] = {
        {u"", true},
        {u"1234", true},
        {u"--;", true},
        {u"caf\u00e9", true},       // any non-ASCII unit, anywhere
        {u"\u00e9zzz", true},
        {u"zzz\u2019", true},
        {u"camelCase", true},       // identifiers
        {u"xmlHTTP", true},
        {u"ZZZZ", true},
        {u"snake_case", true},
        {u"(zzZ)", true},
        {u"Zzz", false},            // only the first letter upper case: looked up
        {u"zzz", false},
    };
    slate::SP<SpellChecker> checker = tiny();
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.word));
        EXPECT_EQ(c.correct, checker->check(slate::usubstring(c.word)));
    }
}

TEST_F(SpellCheckerTest, LooksAtNoMoreThanTheFirst97Units)
{
    const ustring ignored(97, u'q');
    manager().ignoreWord(ustring(150, u'q'));
    EXPECT_THAT(strings(manager().ignoredWords()), ElementsAre(toUtf8(ignored)));

    slate::SP<SpellChecker> checker = tiny();
    EXPECT_TRUE(checker->check(ignored + ustring(53, u'z')));
    EXPECT_FALSE(checker->check(ustring(96, u'q') + ustring(54, u'z')));
}

TEST_F(SpellCheckerTest, IgnoredWordIsCorrectAndListenersHearOfIt)
{
    slate::SP<SpellChecker> checker = tiny();
    CountingListener listener;
    manager().addListener(&listener);
    EXPECT_FALSE(checker->check(u"zorp"));

    manager().ignoreWord(u"'zorp',");
    EXPECT_EQ(1, listener.calls);
    EXPECT_THAT(strings(manager().ignoredWords()), ElementsAre("zorp"));
    EXPECT_TRUE(checker->check(u"zorp"));
    EXPECT_TRUE(checker->check(u"(zorp)"));
    EXPECT_FALSE(checker->check(u"zorps"));
    manager().removeListener(&listener);
}

TEST_F(SpellCheckerTest, IgnoredWordsKeepInnerHyphensAndStaySortedWithDuplicates)
{
    manager().ignoreWord(u"-co-op-");
    manager().ignoreWord(u"beta");
    manager().ignoreWord(u"co-op");
    EXPECT_THAT(strings(manager().ignoredWords()), ElementsAre("beta", "co-op", "co-op"));

    slate::SP<SpellChecker> checker = tiny();
    EXPECT_TRUE(checker->check(u"co-op"));
    EXPECT_FALSE(checker->check(u"co"));
}

TEST_F(SpellCheckerTest, AddedWordIsAcceptedByLoadedAndLaterDictionaries)
{
    mount(u"Packages/Other", test_support::dataPath("spelling"));
    slate::SP<SpellChecker> checker = tiny();
    CountingListener listener;
    manager().addListener(&listener);
    EXPECT_FALSE(checker->check(u"zorp"));

    manager().addWord(u"(zorp)");
    EXPECT_TRUE(checker->check(u"zorp"));
    EXPECT_TRUE(checker->check(u"hello"));
    EXPECT_TRUE(manager().spellChecker(u"Packages/Other/tiny.dic")->check(u"zorp"));
    EXPECT_EQ(checker.get(), tiny().get());

    manager().addWord(u"zorp");
    EXPECT_THAT(manager().addedWords(), ElementsAre("zorp", "zorp"));
    EXPECT_EQ(2, listener.calls);
    manager().removeListener(&listener);
}

TEST_F(SpellCheckerTest, RefusesNonAsciiAndEmptyWordsSilently)
{
    CountingListener listener;
    manager().addListener(&listener);
    manager().addWord(u"caf\u00e9");
    manager().ignoreWord(u"na\u00efve");
    manager().addWord(u"(),");
    manager().ignoreWord(u"");
    EXPECT_THAT(manager().addedWords(), IsEmpty());
    EXPECT_THAT(manager().ignoredWords(), IsEmpty());
    EXPECT_EQ(0, listener.calls);
    manager().removeListener(&listener);
}

TEST_F(SpellCheckerTest, RemoveListenerDropsOnlyItsFirstRegistration)
{
    CountingListener twice, once;
    manager().addListener(&twice);
    manager().addListener(&once);
    manager().addListener(&twice);
    manager().removeListener(&twice);
    manager().removeListener(nullptr);
    manager().ignoreWord(u"zorp");
    EXPECT_EQ(1, twice.calls);
    EXPECT_EQ(1, once.calls);

    manager().removeListener(&twice);
    manager().removeListener(&once);
    manager().ignoreWord(u"blap");
    EXPECT_EQ(1, twice.calls);
    EXPECT_EQ(1, once.calls);
}

TEST_F(SpellCheckerTest, SuggestsForTheTrimmedWord)
{
    slate::SP<SpellChecker> checker = tiny();
    std::vector<ustring> suggestions;
    checker->suggest(u"(helo),", suggestions);
    ASSERT_FALSE(suggestions.empty());
    EXPECT_EQ(u"hello", suggestions.front());

    std::vector<ustring> none;
    checker->suggest(u"h\u00e9lo", none);
    checker->suggest(u"()", none);
    EXPECT_THAT(none, IsEmpty());
}

TEST_F(SpellCheckerTest, WithoutADictionaryNothingIsMisspelt)
{
    slate::SP<SpellChecker> missing = manager().spellChecker(u"Packages/Spelling/missing.dic");
    EXPECT_FALSE(missing->hasDictionary());
    EXPECT_TRUE(missing->check(u"helo"));
    std::vector<ustring> suggestions;
    missing->suggest(u"helo", suggestions);
    EXPECT_THAT(suggestions, IsEmpty());

    slate::FileManager::destroy();
    slate::SP<SpellChecker> unmounted(new SpellChecker);
    unmounted->load(kTinyDictionary, {});
    EXPECT_FALSE(unmounted->hasDictionary());
    EXPECT_TRUE(unmounted->check(u"helo"));
}

TEST_F(SpellCheckerTest, CheckerHeldPastTheManagerStillChecksWithoutIgnoredWords)
{
    slate::SP<SpellChecker> checker = tiny();
    manager().ignoreWord(u"zorp");
    ASSERT_TRUE(checker->check(u"zorp"));
    SpellCheckerManager::destroy();
    EXPECT_FALSE(checker->check(u"zorp"));
    EXPECT_TRUE(checker->check(u"hello"));
}

// Text loaded without lexing is cut into pieces that are not words: the
// spelling queries lex it before they answer, so a freshly loaded file
// reports its misspellings.
TEST_F(SpellCheckerTest, LoadedTextIsLexedBeforeItsMisspellingsAreCounted)
{
    TokenStorage storage;
    const ustring text = u"hello wrold\nquick fox\nbrwon\n";
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.setSpellChecker(tiny());
    EXPECT_EQ(storage.misspelledCount(), 2);

    TokenStorage listed;
    listed.appendWithoutLexing(text.data(), text.data() + text.size());
    listed.setSpellChecker(tiny());
    SelectionSet words;
    listed.misspelledWords(words);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(listed.substr(words[0]), u"wrold");
    EXPECT_EQ(listed.substr(words[1]), u"brwon");
}

// A loaded text far longer than one lexing stride, with misspelt words near
// its start and at its very end.
ustring longLoadedText()
{
    ustring text = u"hello wrold\n";
    while (text.size() < 4 * TokenStorage::kSpellingLexStep)
        text += u"quick brown fox\n";
    return text + u"apple chery\n";
}

TEST_F(SpellCheckerTest, NeighbouringMisspellingsAreFoundInTextNotLexedYet)
{
    const ustring text = longLoadedText();
    const int64_t wrold = 6;
    const int64_t chery = static_cast<int64_t>(text.size()) - 6;
    struct Case {
        const char* name;
        bool next;
        int64_t position;
        int64_t expectedBegin; // -1: none
    };
    const Case cases[] = {
        {"next from the start", true, 0, wrold},
        {"next from inside the first word", true, wrold + 1, chery},
        {"next from the last word", true, chery, -1},
        {"previous from the end", false, static_cast<int64_t>(text.size()), chery},
        {"previous from the end of the last word", false, chery + 5, wrold},
        {"previous from inside the last word", false, chery + 2, wrold},
        {"previous from just after the first word", false, wrold + 5, -1},
        {"previous from the start", false, 0, -1},
        {"next from before the start", true, -7, wrold},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage storage;
        storage.appendWithoutLexing(text.data(), text.data() + text.size());
        storage.setSpellChecker(tiny());
        const SelectionRegion found = c.next ? storage.nextMisspelledWord(c.position)
                                             : storage.previousMisspelledWord(c.position);
        EXPECT_EQ(found.begin(), c.expectedBegin);
        if (c.expectedBegin != -1) {
            EXPECT_EQ(found.size(), 5);
        }
    }
}

// The word after the caret is found without lexing the rest of a long text.
TEST_F(SpellCheckerTest, NextMisspellingNearTheStartLeavesTheRestUnlexed)
{
    const ustring text = longLoadedText();
    TokenStorage storage;
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.setSpellChecker(tiny());
    EXPECT_EQ(storage.nextMisspelledWord(0).begin(), 6);
    ASSERT_FALSE(storage.invalidPoints().empty());
    EXPECT_LT(storage.invalidPoints().front(), static_cast<int64_t>(text.size()) / 2);
}

// The count a display asks for every frame lexes a step per call: the first
// call over a long loaded text counts only what it lexed, later ones keep
// the last whole-text count while text is stale, and once nothing is the
// count is the whole text's.
TEST_F(SpellCheckerTest, TheStepwiseCountSettlesOnTheWholeTextsCount)
{
    const ustring text = longLoadedText();
    TokenStorage storage;
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.setSpellChecker(tiny());
    // Steps until the count settles, each expected to answer `meanwhile`
    // while it has not; the settled count.
    auto settle = [&storage](int32_t meanwhile) {
        bool settled = false;
        int32_t count = storage.misspelledCountInSteps(TokenStorage::kSpellingLexStep, settled);
        EXPECT_FALSE(settled);
        EXPECT_EQ(meanwhile, count);
        for (int step = 0; !settled && step < 100; ++step) {
            count = storage.misspelledCountInSteps(TokenStorage::kSpellingLexStep, settled);
            if (!settled)
                EXPECT_EQ(meanwhile, count);
        }
        EXPECT_TRUE(settled);
        return count;
    };
    // Before any whole count, what is lexed so far: "wrold" at the start.
    EXPECT_EQ(2, settle(1));
    EXPECT_TRUE(storage.invalidPoints().empty());
    // More text arrives: the last whole count stands until the new one.
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    EXPECT_EQ(4, settle(2));
    EXPECT_EQ(4, storage.misspelledCount());
}

TEST_F(SpellCheckerTest, WriteSessionQuotesEachWordInListOrder)
{
    manager().addWord(u"zorp");
    manager().addWord(u"blap");
    manager().addWord(u"zorp");
    manager().ignoreWord(u"it\"s");
    manager().ignoreWord(u"back\\slash");
    slate::SP<Options> session(new Options);
    manager().writeSession(*session);

    ustring text;
    ASSERT_TRUE(session->getString("addedWords", text));
    EXPECT_EQ(u"\"zorp\" \"blap\" \"zorp\"", text);
    ASSERT_TRUE(session->getString("ignoredWords", text));
    EXPECT_EQ(u"\"back\\\\slash\" \"it\\\"s\"", text);
}

TEST_F(SpellCheckerTest, ReadSessionAddsAndIgnoresEveryQuotedWord)
{
    slate::SP<Options> session(new Options);
    session->set("addedWords", u"\"alpha\" \"beta\"");
    session->set("ignoredWords", u"\"zeta\" \"eta\"");
    manager().readSession(*session);
    EXPECT_THAT(manager().addedWords(), ElementsAre("alpha", "beta"));
    EXPECT_THAT(strings(manager().ignoredWords()), ElementsAre("eta", "zeta"));
    EXPECT_TRUE(tiny()->check(u"beta"));
}

TEST_F(SpellCheckerTest, SessionRoundTripKeepsEveryWord)
{
    const char16_t* const words[] = {
        u"zorp", u"zorp", u"it\"s", u"back\\slash", u"a\\\"b", u"don't",
        u"ice cream", u"tab\there", u"two\nlines", u"x\"\"y", u"it's\\\"quoted",
    };
    for (const char16_t* word : words) {
        manager().addWord(word);
        manager().ignoreWord(word);
    }
    const std::vector<std::string> added = manager().addedWords();
    const std::vector<std::string> ignored = strings(manager().ignoredWords());
    ASSERT_EQ(11u, added.size());

    saveAndRestartFromSession();
    EXPECT_EQ(added, manager().addedWords());
    EXPECT_EQ(ignored, strings(manager().ignoredWords()));
    EXPECT_TRUE(tiny()->check(u"ice cream"));
}

// A word cut short (after 97 units, or at a NUL unit) could end in a
// separator, which the session reader trims away: the restored word then no
// longer matched the one the user had added.
TEST_F(SpellCheckerTest, WordCutShortIsStoredWithoutTrailingSeparators)
{
    struct Case {
        const char* name;
        ustring word;
        std::string stored;
    };
    const Case cases[] = {
        {"colon as the 97th unit", ustring(96, u'q') + u":" + ustring(20, u'z'), std::string(96, 'q')},
        {"hyphen before a NUL unit", ustring(u"ab-\0cd", 6), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpellCheckerManager::destroy();
        SpellCheckerManager::create();
        manager().addWord(c.word);
        manager().ignoreWord(c.word);
        EXPECT_THAT(manager().addedWords(), ElementsAre(c.stored));
        EXPECT_THAT(strings(manager().ignoredWords()), ElementsAre(c.stored));
        saveAndRestartFromSession();
        EXPECT_THAT(manager().addedWords(), ElementsAre(c.stored));
        EXPECT_TRUE(tiny()->check(c.word));
    }
}

TEST_F(SpellCheckerTest, WordThatCannotBeStoredDoesNotCostTheList)
{
    manager().addWord(u"alpha");
    manager().addWord(u"car\rriage");
    manager().addWord(u"beta");
    saveAndRestartFromSession();
    EXPECT_THAT(manager().addedWords(), ElementsAre("alpha", "beta"));
}

TEST_F(SpellCheckerTest, InstalledEnglishDictionary)
{
    const std::string dictionary = std::string(kEnglishDirectory) + "/en_US.dic";
    if (FILE* file = fopen(dictionary.c_str(), "rb"))
        fclose(file);
    else
        GTEST_SKIP() << "no " << dictionary << " (package hunspell-en-us); skipped";
    mount(u"Packages/Language - English", kEnglishDirectory);

    slate::SP<SpellChecker> english = manager().spellChecker(u"Packages/Language - English/en_US.dic");
    ASSERT_TRUE(english->hasDictionary());
    EXPECT_TRUE(english->check(u"receive "));
    EXPECT_TRUE(english->check(u"\"Paris\","));
    EXPECT_TRUE(english->check(u"well-known"));
    EXPECT_TRUE(english->check(u"don't"));
    EXPECT_FALSE(english->check(u"recieve"));
    EXPECT_FALSE(english->check(u"(Recieve)"));

    std::vector<ustring> suggestions;
    english->suggest(u"recieve", suggestions);
    EXPECT_THAT(suggestions, testing::Contains(u"receive"));

    manager().addWord(u"recieve");
    EXPECT_TRUE(english->check(u"recieve"));
}

} // namespace
