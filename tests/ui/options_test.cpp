#include "ui/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/memory_file_system.h"
#include "filesystem/posix_file_system.h"
#include "support/comma_decimal_locale.h"
#include "support/scratch_folder.h"
#include "ui/log.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

std::string narrow(const ustring& text)
{
    std::string result;
    for (uchar unit : text) {
        if (unit >= 0x20 && unit < 0x7F)
            result += static_cast<char>(unit);
        else {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04X", static_cast<unsigned>(unit));
            result += escaped;
        }
    }
    return result;
}

SP<Options> parsed(const ustring& text)
{
    SP<Options> options(new Options);
    options->parse(text);
    return options;
}

std::vector<std::pair<ustring, ustring>> settings(const Options& options)
{
    std::vector<std::pair<ustring, ustring>> result;
    for (const ustring& key : options.keys())
        result.emplace_back(key, *options.find(key));
    return result;
}

using Settings = std::vector<std::pair<ustring, ustring>>;

// A real temporary directory mounted at "UserOptions/" of a fresh file
// manager.
class OptionsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"UserOptions/",
                                        slate::PosixFileSystem::create(toUstring(m_directory)));
    }
    void TearDown() override
    {
        slate::FileManager::destroy();
    }

    std::string nativePath(const std::string& name) const { return m_directory + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(nativePath(name), std::ios::binary);
        out << bytes;
    }
    std::string readFile(const std::string& name) const
    {
        std::ifstream in(nativePath(name), std::ios::binary);
        if (!in)
            return "<unreadable>";
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_directory))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::ScratchFolder m_folder{"vantrel-options"};
    const std::string m_directory = m_folder.path().string();
};

} // namespace

TEST(OptionsFormat, ParsesSettingsAndKeepsOtherLines)
{
    struct Case {
        const char* what;
        ustring text;
        Settings expected;
        ustring serialised;
    };
    const Case cases[] = {
        {"trailing blanks stay in the value", u"  key   some value  ", {{u"key", u"some value  "}},
         u"key some value  "},
        {"a key alone has the empty value", u"key", {{u"key", u""}}, u"key "},
        {"tab separates key and value", u"\tk\t\t v", {{u"k", u"v"}}, u"k v"},
        {"blank, empty and comment lines are no settings", u"  \n\n  # note\na 1",
         {{u"a", u"1"}}, u"  \n\n  # note\na 1"},
        {"a hash after the first character is text", u"a#b c#d", {{u"a#b", u"c#d"}}, u"a#b c#d"},
        {"last duplicate wins, first keeps its place", u"a 1\nb 2\na 3", {{u"a", u"3"}, {u"b", u"2"}},
         u"a 3\nb 2\na 3"},
        {"leading empty lines and final line end go", u"\n\na 1\n", {{u"a", u"1"}}, u"a 1"},
        {"CR-only line ends", u"a 1\rb 2\r", {{u"a", u"1"}, {u"b", u"2"}}, u"a 1\nb 2"},
        {"a byte-order mark is part of the first key", u"\uFEFFa 1", {{u"\uFEFFa", u"1"}},
         u"\uFEFFa 1"},
        {"a NUL ends the text", ustring(u"a 1\nb 2\0c 3", 11), {{u"a", u"1"}, {u"b", u"2"}},
         u"a 1\nb 2"},
        {"keys compare exactly", u"K 1\nk 2", {{u"K", u"1"}, {u"k", u"2"}}, u"K 1\nk 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SP<Options> options = parsed(c.text);
        EXPECT_EQ(c.expected, settings(*options));
        EXPECT_EQ(narrow(c.serialised), narrow(options->serialise()));
    }
}

TEST(OptionsFormat, SplitLinesHandlesEveryLineEnd)
{
    struct Case {
        ustring text;
        std::vector<ustring> lines;
    };
    const Case cases[] = {
        {u"a\r\nb", {u"a", u"b"}}, {u"a\rb", {u"a", u"b"}},  {u"a\n\nb", {u"a", u"", u"b"}},
        {u"a\n", {u"a"}},          {u"\n\r", {u"", u""}},     {u"", {}},
        {u"a\r\r\nb", {u"a", u"", u"b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        std::vector<ustring> lines{u"kept"};
        splitLines(c.text, lines);
        std::vector<ustring> expected{u"kept"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(expected, lines);
    }
}

TEST(OptionsFormat, ParseOptionsLineViewsKeyAndValue)
{
    const ustring line = u" \tkey \t value # not a comment ";
    slate::usubstring key, value;
    ASSERT_TRUE(parseOptionsLine(line, key, value));
    EXPECT_EQ(u"key", key.str());
    EXPECT_EQ(u"value # not a comment ", value.str());
    EXPECT_EQ(line.data() + 2, key.begin);
    for (const ustring& noSetting : {ustring(u""), ustring(u" \t "), ustring(u"  #key value")}) {
        SCOPED_TRACE(narrow(noSetting));
        EXPECT_FALSE(parseOptionsLine(noSetting, key, value));
    }
}

TEST(OptionsFormat, EraseRemovesOnlyTheFirstLineOfTheKey)
{
    SP<Options> options = parsed(u"# head\na 1\nb 2\na 2");
    options->erase("a");
    EXPECT_EQ(nullptr, options->find(u"a"));
    EXPECT_EQ((std::vector<ustring>{u"b"}), options->keys());
    EXPECT_EQ(u"# head\nb 2\na 2", options->serialise());
    // The line left behind gives the key its value again when read back.
    EXPECT_EQ((Settings{{u"b", u"2"}, {u"a", u"2"}}), settings(*parsed(options->serialise())));
}

TEST(OptionsFormat, SetAppendsNewKeysAndRewritesKnownOnes)
{
    SP<Options> options = parsed(u"a 1\n# note\na 5");
    EXPECT_TRUE(options->set("b", u"x"));
    EXPECT_TRUE(options->set(u"a", u"2"));
    EXPECT_EQ(u"a 2\n# note\na 2\nb x", options->serialise());
    EXPECT_EQ((std::vector<ustring>{u"a", u"b"}), options->keys());
}

TEST(OptionsFormat, SetRefusesKeysAndValuesThatWouldNotReadBack)
{
    struct Case {
        const char* what;
        ustring key;
        ustring value;
        const char* problem;
    };
    const Case cases[] = {
        {"empty key", u"", u"v", "Keys may not be blank"},
        {"blank in key", u"a b", u"v", "Keys may not contain whitespace"},
        {"tab in key", u"a\tb", u"v", "Keys may not contain whitespace"},
        {"CR in key", u"a\rb", u"v", "Keys may not contain whitespace"},
        {"LF in key", u"a\nb", u"v", "Keys may not contain whitespace"},
        {"comment key", u"#a", u"v", "Keys may not start with '#'"},
        {"NUL in key", ustring(u"a\0b", 3), u"v", "Keys may not contain NUL characters"},
        {"lone surrogate in key", u"a\xD800", u"v", "Keys may not contain unpaired surrogates"},
        {"LF in value", u"a", u"1\nb 2", "Values may not contain newlines"},
        {"CR in value", u"a", u"1\rb 2", "Values may not contain newlines"},
        {"NUL in value", u"a", ustring(u"1\0b", 3), "Values may not contain NUL characters"},
        {"lone surrogate in value", u"a", u"\xDC00", "Values may not contain unpaired surrogates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const char* keyProblem = optionsKeyProblem(c.key);
        const char* valueProblem = optionsValueProblem(c.value);
        EXPECT_STREQ(c.problem, keyProblem ? keyProblem : valueProblem);
        SP<Options> options = parsed(u"a 0\n# c");
        EXPECT_FALSE(options->set(c.key, c.value));
        if (keyProblem) {
            EXPECT_FALSE(options->setInt(c.key, 1));
        }
        EXPECT_EQ(u"a 0\n# c", options->serialise());
        EXPECT_EQ((Settings{{u"a", u"0"}}), settings(*options));
    }
    EXPECT_EQ(nullptr, optionsKeyProblem(u"caf\u00E9.x[3]"));
    EXPECT_EQ(nullptr, optionsValueProblem(u"  any text # \U0001F600 \t"));
}

TEST(OptionsTyped, GettersConvertTextAndLeaveOutputAloneWhenMissing)
{
    SP<Options> options = parsed(u"b1 true\nb2 True\nb3 1\ni1 12abc\ni2 abc\ni3 -99999999999\n"
                                 u"i4  +7\nl1 -9223372036854775808\nl2 99999999999999999999\n"
                                 u"d1 2.5e3x\nd2 1,5\nd3 inf\nf1 1e300\nempty");
    struct BoolCase {
        const char* key;
        bool expected;
    };
    for (const BoolCase& c : {BoolCase{"b1", true}, BoolCase{"b2", false}, BoolCase{"b3", false},
                              BoolCase{"empty", false}}) {
        SCOPED_TRACE(c.key);
        bool value = !c.expected;
        EXPECT_TRUE(options->getBool(c.key, value));
        EXPECT_EQ(c.expected, value);
    }
    struct IntCase {
        const char* key;
        int64_t expected;
    };
    for (const IntCase& c : {IntCase{"i1", 12}, IntCase{"i2", 0}, IntCase{"i3", INT32_MIN},
                             IntCase{"i4", 7}, IntCase{"empty", 0}}) {
        SCOPED_TRACE(c.key);
        int value = 42;
        EXPECT_TRUE(options->getInt(c.key, value));
        EXPECT_EQ(c.expected, value);
    }
    for (const IntCase& c : {IntCase{"l1", INT64_MIN}, IntCase{"l2", INT64_MAX}, IntCase{"i1", 12}}) {
        SCOPED_TRACE(c.key);
        int64_t value = 42;
        EXPECT_TRUE(options->getInt64(c.key, value));
        EXPECT_EQ(c.expected, value);
    }
    double number = 0;
    EXPECT_TRUE(options->getDouble("d1", number));
    EXPECT_EQ(2500.0, number);
    EXPECT_TRUE(options->getDouble("d2", number));
    EXPECT_EQ(1.0, number);
    EXPECT_TRUE(options->getDouble("d3", number));
    EXPECT_EQ(HUGE_VAL, number);
    float single = 0;
    EXPECT_TRUE(options->getFloat("f1", single));
    EXPECT_EQ(std::numeric_limits<float>::infinity(), single);

    ustring text = u"default";
    int integer = 5;
    bool flag = true;
    EXPECT_FALSE(options->getString("missing", text));
    EXPECT_FALSE(options->getInt(u"missing", integer));
    EXPECT_FALSE(options->getBool("missing", flag));
    EXPECT_FALSE(options->getDouble("missing", number));
    EXPECT_EQ(u"default", text);
    EXPECT_EQ(5, integer);
    EXPECT_TRUE(flag);
}

TEST(OptionsTyped, SettersWriteCFormats)
{
    SP<Options> options(new Options);
    options->setDouble("tiny", 0.0000001);
    options->setFloat("half", 2.5f);
    options->setDouble(u"negative", -1.25);
    options->setInt("int", -17);
    options->setInt64("big", INT64_MIN);
    options->setBool("yes", true);
    options->setBool("no", false);
    options->setDouble("infinite", -HUGE_VAL);
    EXPECT_EQ(u"tiny 0.000000\nhalf 2.500000\nnegative -1.250000\nint -17\n"
              u"big -9223372036854775808\nyes true\nno false\ninfinite -inf",
              options->serialise());

    // Written in full however large, and read back exactly.
    options->setDouble("huge", std::numeric_limits<double>::max());
    ustring text;
    ASSERT_TRUE(options->getString("huge", text));
    EXPECT_EQ(309u + 7u, text.size());
    double value = 0;
    EXPECT_TRUE(options->getDouble("huge", value));
    EXPECT_EQ(std::numeric_limits<double>::max(), value);
    EXPECT_TRUE(options->getDouble("infinite", value));
    EXPECT_EQ(-HUGE_VAL, value);
}

TEST(OptionsTyped, NumbersIgnoreTheProcessLocale)
{
    CommaDecimalLocale locale;
    if (!locale.active)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    SP<Options> options(new Options);
    options->setDouble("d", 1.5);
    options->setFloat("f", -0.25f);
    EXPECT_EQ(u"d 1.500000\nf -0.250000", options->serialise());
    options->parse(u"d 2.75");
    double value = 0;
    EXPECT_TRUE(options->getDouble("d", value));
    EXPECT_EQ(2.75, value);
}

TEST(OptionsInheritance, FindSearchesNewestParentWithItsAncestorsFirst)
{
    SP<Options> child = parsed(u"own 1");
    SP<Options> first = parsed(u"k first\nonlyFirst 1");
    SP<Options> second = parsed(u"other 2");
    SP<Options> third = parsed(u"k third");
    second->addParent(third);
    child->addParent(first);
    child->addParent(second);

    ustring value;
    EXPECT_TRUE(child->getString("k", value));
    EXPECT_EQ(u"third", value);
    EXPECT_TRUE(child->getString("onlyFirst", value));
    EXPECT_EQ(u"1", value);
    EXPECT_TRUE(child->inheritsFrom(third));
    EXPECT_FALSE(first->inheritsFrom(child));

    // A child's own empty value hides the parents'.
    child->parse(u"k");
    EXPECT_TRUE(child->getString("k", value));
    EXPECT_EQ(u"", value);
    // Reading a file keeps the links.
    EXPECT_EQ(2u, child->parents().size());

    child->removeParents();
    EXPECT_EQ(nullptr, child->find(u"onlyFirst"));
    EXPECT_FALSE(child->inheritsFrom(third));
}

TEST(OptionsInheritance, NotifyChangedRunsListenersThenChildrenDepthFirst)
{
    std::vector<std::string> calls;
    SP<Options> root(new Options);
    SP<Options> child(new Options);
    SP<Options> grandchild(new Options);
    SP<Options> secondChild(new Options);
    child->addParent(root);
    grandchild->addParent(child);
    secondChild->addParent(root);
    auto record = [&calls](const char* name) { return [&calls, name] { calls.push_back(name); }; };
    root->addListener(record("root 1"));
    root->addListener(record("root 2"));
    child->addListener(record("child"));
    grandchild->addListener(record("grandchild"));
    grandchild->addListener(record("grandchild"));
    secondChild->addListener(record("second child"));
    root->addListener(Options::Listener());

    root->notifyChanged();
    EXPECT_EQ((std::vector<std::string>{"root 1", "root 2", "child", "grandchild", "grandchild",
                                        "second child"}),
              calls);

    calls.clear();
    child->clearListeners();
    child->notifyChanged();
    EXPECT_EQ((std::vector<std::string>{"grandchild", "grandchild"}), calls);
}

// Two windows share one theme file: closing one must not stop the other's
// reloads.
TEST(OptionsListeners, RemovingOneListenerKeepsTheOthers)
{
    std::vector<std::string> calls;
    SP<Options> options(new Options);
    auto record = [&calls](const char* name) { return [&calls, name] { calls.push_back(name); }; };
    const Options::ListenerId first = options->addListener(record("first"));
    const Options::ListenerId twin = options->addListener(record("first"));
    options->addListener(record("second"));
    EXPECT_EQ(options->addListener(Options::Listener()), 0u);
    EXPECT_NE(first, twin);

    options->removeListener(first);
    options->removeListener(first); // already gone: ignored
    options->removeListener(0);
    options->notifyChanged();
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), calls);
}

TEST(OptionsInheritance, DestroyedChildLeavesItsParents)
{
    std::vector<std::string> calls;
    SP<Options> parent(new Options);
    {
        SP<Options> child(new Options);
        child->addParent(parent);
        child->addListener([&calls] { calls.push_back("child"); });
        parent->notifyChanged();
    }
    // The parent outlives the child and must not reach it again.
    parent->notifyChanged();
    EXPECT_EQ((std::vector<std::string>{"child"}), calls);
    EXPECT_EQ(1, parent->referenceCount());
}

TEST(OptionsArrays, GetIndexedKeysListsElementsBySlot)
{
    SP<Options> options = parsed(u"sel[2].a 1\nsel[2].b 2\nsel[0].a 3\nselx[5] 4\nsel 5\n"
                                 u"x[07] 1\nx[1].b 0");
    std::vector<ustring> elements;
    options->getIndexedKeys("sel", elements);
    EXPECT_EQ((std::vector<ustring>{u"sel[0]", u"", u"sel[2]"}), elements);

    std::vector<ustring> normalised{u"kept", u"kept", u"kept", u"kept", u"kept", u"kept", u"kept",
                                    u"kept", u"kept"};
    options->getIndexedKeys(u"x", normalised);
    EXPECT_EQ((std::vector<ustring>{u"kept", u"x[1]", u"kept", u"kept", u"kept", u"kept", u"kept",
                                    u"x[7]", u"kept"}),
              normalised);
}

TEST(OptionsArrays, GetIndexedKeysIgnoresNegativeAndImplausibleIndices)
{
    SP<Options> options = parsed(u"r[-1].a 1\nr[-2147483648] 1\nr[2147483647].a 1\n"
                                 u"r[99999999999999].a 1\nr[5000000].a 1\nr[3].a 1\nr[abc] 1");
    std::vector<ustring> elements;
    options->getIndexedKeys("r", elements);
    EXPECT_EQ((std::vector<ustring>{u"r[0]", u"", u"", u"r[3]"}), elements);

    // Sparse arrays stay readable within the slack.
    options->parse(u"s[4000].a 1");
    elements.clear();
    options->getIndexedKeys("s", elements);
    ASSERT_EQ(4001u, elements.size());
    EXPECT_EQ(u"s[4000]", elements.back());
}

TEST(OptionsArrays, GroupsCopyOnlyKeysUnderThePrefix)
{
    SP<Options> node = parsed(u"options.tab_size 4\noptionsx.y 1\noptions 2\noptions.a.b c");
    SP<Options> target(new Options);
    node->getGroup("options", target);
    EXPECT_EQ((Settings{{u"a.b", u"c"}, {u"tab_size", u"4"}}), settings(*target));

    SP<Options> session(new Options);
    session->setGroup("view", target);
    EXPECT_EQ(u"view.a.b c\nview.tab_size 4", session->serialise());

    // Copying into itself sees only what was there before.
    node->getGroup("options", node);
    EXPECT_EQ(u"4", *node->find(u"tab_size"));
    EXPECT_EQ(nullptr, node->find(u"b"));
}

TEST_F(OptionsFileTest, LoadSetAndSaveWritesCrLfWithoutFinalLineEnd)
{
    writeFile("Test.vantrel-options", "a 1\n");
    SP<Options> options(new Options);
    options->load(u"UserOptions/Test.vantrel-options");
    options->set("b", u"x");
    EXPECT_TRUE(options->save(u"UserOptions/Test.vantrel-options"));
    EXPECT_EQ("a 1\r\nb x", readFile("Test.vantrel-options"));
    EXPECT_TRUE(options->save(u"UserOptions/New.vantrel-options"));
    EXPECT_EQ("a 1\r\nb x", readFile("New.vantrel-options"));
    EXPECT_EQ((std::vector<std::string>{"New.vantrel-options", "Test.vantrel-options"}), entries());
}

TEST_F(OptionsFileTest, LoadOfUnreadableFileLeavesOptionsEmpty)
{
    writeFile("Bad.vantrel-options", "a 1\nb \xC3\x28");
    writeFile("Bom.vantrel-options", "\xEF\xBB\xBF" "a 1");
    struct Case {
        const char* what;
        const char16_t* path;
        Settings expected;
    };
    const Case cases[] = {
        {"missing file", u"UserOptions/Missing.vantrel-options", {}},
        {"not UTF-8", u"UserOptions/Bad.vantrel-options", {}},
        {"no mount point", u"Elsewhere/x.vantrel-options", {}},
        {"byte-order mark", u"UserOptions/Bom.vantrel-options", {{u"\uFEFFa", u"1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SP<Options> options = parsed(u"old value");
        options->load(c.path);
        EXPECT_EQ(c.expected, settings(*options));
        EXPECT_EQ(c.expected.empty(), options->serialise().empty());
    }
    // Reloading in place keeps what it had when the file cannot be read.
    SP<Options> options = parsed(u"old value");
    EXPECT_FALSE(options->reload(u"UserOptions/Missing.vantrel-options"));
    EXPECT_EQ((Settings{{u"old", u"value"}}), settings(*options));
    EXPECT_TRUE(options->reload(u"UserOptions/Bom.vantrel-options"));
    EXPECT_EQ((Settings{{u"\uFEFFa", u"1"}}), settings(*options));
}

TEST_F(OptionsFileTest, FailedSaveLeavesOriginalByteForByte)
{
    const std::string original("# user settings\r\nfont_size 12\n\xEF\xBB\xBFodd\rlast");
    writeFile("ReadOnly.vantrel-options", original);
    std::filesystem::permissions(nativePath("ReadOnly.vantrel-options"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    std::filesystem::create_directory(nativePath("Folder.vantrel-options"));
    const std::vector<std::string> before = entries();

    SP<Options> options = parsed(u"font_size 14\nnew value");
    struct Case {
        const char* what;
        const char16_t* path;
    };
    const Case cases[] = {
        {"read-only target", u"UserOptions/ReadOnly.vantrel-options"},
        {"directory in its place", u"UserOptions/Folder.vantrel-options"},
        {"missing directory", u"UserOptions/Missing/x.vantrel-options"},
        {"no native name", u"Elsewhere/x.vantrel-options"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(options->save(c.path));
        EXPECT_EQ(before, entries());
    }
    EXPECT_EQ(original, readFile("ReadOnly.vantrel-options"));
}

TEST(OptionsFile, SaveWithoutFileManagerFails)
{
    ASSERT_FALSE(slate::FileManager::alive());
    EXPECT_FALSE(parsed(u"a 1")->save(u"UserOptions/x.vantrel-options"));
    std::vector<ustring> lines{u"kept"};
    EXPECT_FALSE(readLines(u"UserOptions/x.vantrel-options", lines));
    EXPECT_EQ((std::vector<ustring>{u"kept"}), lines);
}

// Random options text and edits never crash, and what is written reads back
// as the same settings.
TEST(OptionsRobustness, RandomTextAndEditsRoundTrip)
{
    const uchar alphabet[] = {u'a', u'b', u'k', u' ',    u'\t',   u'\r',   u'\n', u'#',
                              u'[', u']', u'.', u'0',    u'7',    u'-',    u'\0', 0xD800,
                              0xDC00, 0xFEFF, u'x', 0x00E9, u'9', u'e', u'+', u'n'};
    std::mt19937 random(20240611);
    auto randomText = [&](size_t maximumLength) {
        ustring text(random() % (maximumLength + 1), u' ');
        for (uchar& unit : text)
            unit = alphabet[random() % std::size(alphabet)];
        return text;
    };
    // Refused edits are logged; thousands of them are only noise here.
    const bool debugOutput = g_debugOutputEnabled.exchange(false);
    auto* files = new testing_support::MemoryFileSystem;
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    slate::FileManager::get().mount(u"Packages/", files);

    for (int round = 0; round < 1500; ++round) {
        SCOPED_TRACE(round);
        SP<Options> options(new Options);
        if (round % 3 == 0) {
            std::string bytes;
            for (size_t i = random() % 64; i > 0; --i)
                bytes += static_cast<char>(random() % 3 ? "ab #[1]\r\n\t"[random() % 11] : random());
            files->addFile(u"Random.vantrel-options", bytes);
            options->load(u"Packages/Random.vantrel-options");
        } else {
            options->parse(randomText(80));
        }
        SP<Options> parent = parsed(randomText(20));
        options->addParent(parent);
        for (int edit = 0; edit < 6; ++edit) {
            ustring key = randomText(4);
            switch (random() % 6) {
            case 0:
                options->set(key, randomText(6));
                break;
            case 1:
                options->erase(key);
                break;
            case 2: {
                std::vector<ustring> elements;
                options->getIndexedKeys(randomText(2), elements);
                EXPECT_LE(elements.size(), options->keys().size() + Options::kIndexedKeySlack + 1);
                break;
            }
            case 3: {
                int integer = 0;
                double number = 0;
                float single = 0;
                int64_t wide = 0;
                options->getInt(key, integer);
                options->getDouble(key, number);
                options->getFloat(key, single);
                options->getInt64(key, wide);
                break;
            }
            case 4:
                options->getGroup(randomText(2), parsed(randomText(10)));
                break;
            default:
                options->setDouble(key, std::ldexp(double(random()) - 2147483648.0, int(random() % 200) - 100));
                break;
            }
        }
        // Every key has a value, once, and the text reads back as the same
        // settings (values lose leading blanks, which the format cannot keep).
        EXPECT_EQ(options->keys().size(),
                  std::set<ustring>(options->keys().begin(), options->keys().end()).size());
        SP<Options> reread = parsed(options->serialise());
        const ustring text = reread->serialise();
        EXPECT_EQ(text, parsed(text)->serialise());
        for (const ustring& key : options->keys()) {
            const ustring* value = reread->find(key);
            ASSERT_TRUE(value) << narrow(key);
            EXPECT_EQ(narrow(trimLeft(*options->find(key), " \t").str()), narrow(*value));
        }
    }
    slate::FileManager::destroy();
    g_debugOutputEnabled = debugOutput;
}
