#include "ui/text/syntax/syntax_manager.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "ui/byte_buffer.h"
#include "ui/cache_file.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/text/lexer/grammar_test_support.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace fs = std::filesystem;

namespace {

// A grammar file with the given header and no rules.
std::string grammar(const std::string& name, const std::string& scopeName,
                    const std::vector<std::string>& fileTypes)
{
    std::string body = "<dict><key>name</key><string>" + name + "</string>";
    if (!scopeName.empty())
        body += "<key>scopeName</key><string>" + scopeName + "</string>";
    body += "<key>fileTypes</key><array>";
    for (const std::string& fileType : fileTypes)
        body += "<string>" + fileType + "</string>";
    body += "</array><key>patterns</key><array/></dict>";
    return package_test::plist(body);
}

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Packages in a scratch folder mounted at "Packages/" through the native file
// system (so files have modification times and options can be saved), with
// an options manager. Tests create the syntax manager themselves.
class SyntaxManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_root / "Default");
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/",
                                        slate::PosixFileSystem::create(toUstring(m_root.string())));
        OptionsManager::create();
    }
    void TearDown() override
    {
        if (SyntaxManager::alive())
            SyntaxManager::destroy();
        OptionsManager::destroy();
        slate::FileManager::destroy();
    }

    // Writes a file below the packages folder, making its folders.
    void write(const std::string& path, const std::string& text)
    {
        fs::create_directories((m_root / path).parent_path());
        std::ofstream(m_root / path, std::ios::binary | std::ios::trunc) << text;
    }
    fs::path native(const std::string& path) const { return m_root / path; }
    fs::path cacheFile() const { return m_root / "Default" / "Syntax Summary.cache"; }

    // Creates the manager afresh and returns how many grammar headers it
    // parsed on the way.
    int recreate()
    {
        if (SyntaxManager::alive())
            SyntaxManager::destroy();
        const double before = g_statParseTextMateGrammar.count;
        SyntaxManager::create();
        return static_cast<int>(g_statParseTextMateGrammar.count - before);
    }

    static std::string lookUp(const char16_t* fileName)
    {
        return toUtf8(SyntaxManager::get().syntaxForFile(fileName));
    }

    test_support::ScratchFolder m_folder{"vantrel-syntax-manager"};
    const fs::path m_root = m_folder.path();
};

TEST(SyntaxManagerPaths, OptionsPathAndStemOrder)
{
    EXPECT_EQ(u"Packages/Web/Page.vantrel-options", syntaxOptionsPath(u"Packages/Web/Page.tmLanguage"));
    EXPECT_EQ(u"Packages/Web.d/Make.vantrel-options", syntaxOptionsPath(u"Packages/Web.d/Make.tmLanguage"));

    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool less;
    } cases[] = {
        {u"Packages/Z/Alpha.tmLanguage", u"Packages/A/Beta.tmLanguage", true},
        {u"Packages/A/Beta.tmLanguage", u"Packages/Z/Alpha.tmLanguage", false},
        {u"Packages/C/C.tmLanguage", u"Packages/C++/C++.tmLanguage", true}, // a prefix sorts first
        {u"Packages/C++/C++.tmLanguage", u"Packages/C/C.tmLanguage", false},
        {u"Packages/b/b.tmLanguage", u"Packages/A/a.tmLanguage", false}, // case-sensitive
        {u"Packages/A/Same.tmLanguage", u"Packages/B/Same.tmLanguage", false},
        {u"Packages/B/Same.tmLanguage", u"Packages/A/Same.tmLanguage", false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.a)) + " < " + toUtf8(ustring(row.b)));
        EXPECT_EQ(row.less, syntaxPathLess(row.a, row.b));
    }
}

TEST_F(SyntaxManagerTest, OptionsExtensionsBeatFileTypesWhateverTheStemOrder)
{
    // "Header" claims h in its fileTypes; a grammar whose stem sorts before
    // it, and one whose stem sorts after it, list h in their options.
    write("C/Header.tmLanguage", grammar("Header", "source.header", {"h", "hdr"}));
    write("A/Apple.tmLanguage", grammar("Apple", "source.apple", {"apple"}));
    write("A/Apple.vantrel-options", "extensions h");
    write("Z/Zebra.tmLanguage", grammar("Zebra", "source.zebra", {"zebra"}));
    write("Z/Zebra.vantrel-options", "extensions hdr");
    recreate();

    EXPECT_EQ("Packages/A/Apple.tmLanguage", lookUp(u"main.h"));
    EXPECT_EQ("Packages/Z/Zebra.tmLanguage", lookUp(u"main.hdr"));
    EXPECT_EQ("Packages/C/Header.tmLanguage",
              toUtf8(SyntaxManager::get().scopeNameToSyntax().at(u"source.header")));
}

TEST_F(SyntaxManagerTest, FirstStemWinsBetweenFileTypesAndFirstKeyWins)
{
    // Path order and stem order disagree: the stem decides.
    write("A/Zeta.tmLanguage", grammar("Zeta", "source.zeta", {"txt", "htm"}));
    write("Z/Alpha.tmLanguage", grammar("Alpha", "source.alpha", {"txt", "HTM"}));
    recreate();

    EXPECT_EQ("Packages/Z/Alpha.tmLanguage", lookUp(u"notes.txt"));
    // Alpha registered HTM, and with it htm: Zeta's htm gains nothing.
    EXPECT_EQ("Packages/Z/Alpha.tmLanguage", lookUp(u"page.htm"));
    EXPECT_EQ("Packages/Z/Alpha.tmLanguage", lookUp(u"PAGE.HTM"));
    // Zeta still lists both in its dialog entry.
    const auto& zeta = SyntaxManager::get().syntaxInfo().at(u"Packages/A/Zeta.tmLanguage");
    ASSERT_EQ(2u, zeta.extensionEntries.size());
    EXPECT_EQ(u"Zeta", zeta.name);
}

TEST_F(SyntaxManagerTest, FilesAreFoundByExtensionThenByWholeName)
{
    write("Make/Makefile.tmLanguage", grammar("Makefile", "source.makefile", {"Makefile", "mk"}));
    write("Gzip/Gzip.tmLanguage", grammar("Gzip", "source.gz", {"gz"}));
    write("Shell/Shell.tmLanguage", grammar("Shell", "source.shell", {".bashrc", "sh"}));
    recreate();

    struct Case {
        const char16_t* fileName;
        const char* expected;
    } cases[] = {
        {u"Makefile", "Packages/Make/Makefile.tmLanguage"},
        {u"makefile", "Packages/Make/Makefile.tmLanguage"}, // through the lower-cased key
        {u"C:\\src\\project\\Makefile", "Packages/Make/Makefile.tmLanguage"},
        {u"/home/user/project/rules.MK", "Packages/Make/Makefile.tmLanguage"},
        {u"archive.tar.gz", "Packages/Gzip/Gzip.tmLanguage"}, // the last extension
        {u"archive.tar", ""},
        {u".bashrc", "Packages/Shell/Shell.tmLanguage"}, // a leading dot is no extension
        {u"script.", ""},                                  // nor is a final one
        {u"dir.gz\\README", ""},
        {u"", ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.fileName)));
        EXPECT_EQ(row.expected, lookUp(row.fileName));
    }
}

TEST_F(SyntaxManagerTest, OptionsWordsAndHiddenExtensionsRegister)
{
    write("Web/Page.tmLanguage", grammar("Page", "text.page", {}));
    write("Web/Page.vantrel-options", "extensions page  pg\nhiddenExtensions  tpl\t inc ");
    write("Bare/Bare.tmLanguage", grammar("Bare", "text.bare", {}));
    recreate();

    const auto& info = SyntaxManager::get().syntaxInfo();
    ASSERT_EQ(1u, info.size()); // no extension, no dialog entry
    const SyntaxManager::SyntaxInfo& page = info.at(u"Packages/Web/Page.tmLanguage");
    EXPECT_EQ(u"Page", page.name);
    std::vector<std::string> entries;
    for (const auto& entry : page.extensionEntries)
        entries.push_back(toUtf8(entry.extension) + (entry.hidden ? " hidden" : ""));
    EXPECT_EQ((std::vector<std::string>{"page", "pg", "tpl hidden", "inc hidden"}), entries);
    EXPECT_EQ("Packages/Web/Page.tmLanguage", lookUp(u"header.inc"));
    EXPECT_EQ(u"Packages/Bare/Bare.tmLanguage", SyntaxManager::get().scopeNameToSyntax().at(u"text.bare"));
}

TEST_F(SyntaxManagerTest, MenuListsGrammarsWithExtensionsInStemOrder)
{
    write("Z/Alpha.tmLanguage", grammar("R&amp;D\tNotes", "text.rd", {"rd"}));
    write("A/Beta.tmLanguage", grammar("", "text.beta", {"beta"})); // empty name: the stem
    write("B/Gamma.tmLanguage", grammar("Gamma", "text.gamma", {}));
    std::vector<SyntaxMenu> published;
    recreate();
    SyntaxManager::get().setMenuPublisher([&](const SyntaxMenu& menu) { published.push_back(menu); });
    SyntaxManager::get().reload();

    ASSERT_EQ(2u, published.size());
    const SyntaxMenu& menu = published.back();
    EXPECT_EQ(u"Open all with current extension as...", menu.submenuCaption);
    ASSERT_EQ(2u, menu.setItems.size());
    EXPECT_EQ(u"R&&D Notes", menu.setItems[0].caption);
    EXPECT_EQ(u"setFileType \"Packages/Z/Alpha.tmLanguage\"", menu.setItems[0].command);
    EXPECT_EQ(u"Beta", menu.setItems[1].caption);
    ASSERT_EQ(2u, menu.assignItems.size());
    EXPECT_EQ(u"Beta", menu.assignItems[1].caption);
    EXPECT_EQ(u"assignFileType \"Packages/A/Beta.tmLanguage\"", menu.assignItems[1].command);
}

TEST_F(SyntaxManagerTest, UnreadableGrammarIsLoggedAndShownOnlyThroughItsOptions)
{
    write("Bad/Bad.tmLanguage", package_test::plist("<dict><key>scopeName</key><string>source.bad</string></dict>"));
    write("Broken/Broken.tmLanguage", "<plist><dict><key>name</key>");
    write("Broken/Broken.vantrel-options", "extensions brk");
    write("Good/Good.tmLanguage", grammar("Good", "source.good", {"good"}));
    grammar_test::LogCollector log;
    recreate();

    EXPECT_TRUE(log.contains(u"Error parsing lexer: Packages/Bad/Bad.tmLanguage: Expected key name"));
    EXPECT_TRUE(log.contains(u"Error parsing lexer: Packages/Broken/Broken.tmLanguage: "));
    EXPECT_EQ(0u, SyntaxManager::get().scopeNameToSyntax().count(u"source.bad"));
    const SyntaxMenu& menu = SyntaxManager::get().menu();
    ASSERT_EQ(2u, menu.setItems.size());
    EXPECT_EQ(u"Broken", menu.setItems[0].caption);
    EXPECT_EQ(u"Good", menu.setItems[1].caption);
    EXPECT_EQ("Packages/Broken/Broken.tmLanguage", lookUp(u"x.brk"));

    // The broken grammars' empty records serve from the cache like the rest.
    EXPECT_EQ(0, recreate());
    EXPECT_EQ("Packages/Broken/Broken.tmLanguage", lookUp(u"x.brk"));
    EXPECT_EQ("Packages/Good/Good.tmLanguage", lookUp(u"x.good"));
}

TEST_F(SyntaxManagerTest, ValidCacheParsesNoGrammar)
{
    write("One/One.tmLanguage", grammar("One", "source.one", {"one"}));
    write("Two/Two.tmLanguage", grammar("Two", "source.two", {"two", "2"}));
    EXPECT_EQ(2, recreate());
    ASSERT_TRUE(fs::is_regular_file(cacheFile()));

    EXPECT_EQ(0, recreate());
    EXPECT_EQ("Packages/Two/Two.tmLanguage", lookUp(u"a.2"));
    EXPECT_EQ(u"Packages/One/One.tmLanguage", SyntaxManager::get().scopeNameToSyntax().at(u"source.one"));
    EXPECT_EQ(u"Two", SyntaxManager::get().syntaxInfo().at(u"Packages/Two/Two.tmLanguage").name);
    // A change to an options file alone keeps the cache.
    write("One/One.vantrel-options", "extensions uno");
    OptionsManager::get().reload(u"Packages/One/One.vantrel-options");
    EXPECT_EQ(0, recreate());
    EXPECT_EQ("Packages/One/One.tmLanguage", lookUp(u"a.uno"));
}

// The cache once recorded only how many grammars there were and how new the
// newest was, so a grammar moved to another name (its time kept) or edited
// in place under an old time was served from stale records.
TEST_F(SyntaxManagerTest, RenamedGrammarRebuildsCache)
{
    write("One/One.tmLanguage", grammar("One", "source.one", {"one"}));
    write("Two/Two.tmLanguage", grammar("Two", "source.two", {"two"}));
    EXPECT_EQ(2, recreate());

    fs::rename(native("Two/Two.tmLanguage"), native("Two/Second.tmLanguage"));
    EXPECT_EQ(2, recreate());
    EXPECT_EQ("Packages/Two/Second.tmLanguage", lookUp(u"x.two"));
    EXPECT_EQ(u"Packages/Two/Second.tmLanguage",
              SyntaxManager::get().scopeNameToSyntax().at(u"source.two"));
    EXPECT_EQ(0, recreate());

    fs::remove(native("One/One.tmLanguage"));
    EXPECT_EQ(1, recreate());
    EXPECT_EQ("", lookUp(u"x.one"));
}

TEST_F(SyntaxManagerTest, ChangedGrammarRebuildsCache)
{
    struct Case {
        const char* name;
        std::string newText;
        bool keepTime;
        const char* expected; // the grammar of x.bbb afterwards
    } cases[] = {
        // Same size, later time.
        {"edited, same size", grammar("One", "source.one", {"bbb"}), false, "Packages/One/One.tmLanguage"},
        // Other size, time put back as it was.
        {"edited, time kept", grammar("One", "source.one", {"bbb", "c"}), true, "Packages/One/One.tmLanguage"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        write("One/One.tmLanguage", grammar("One", "source.one", {"aaa"}));
        write("Two/Two.tmLanguage", grammar("Two", "source.two", {"two"}));
        EXPECT_EQ(2, recreate());
        EXPECT_EQ(0, recreate());

        const fs::path file = native("One/One.tmLanguage");
        const auto time = fs::last_write_time(file);
        write("One/One.tmLanguage", row.newText);
        fs::last_write_time(file, row.keepTime ? time : time + std::chrono::seconds(5));

        EXPECT_EQ(2, recreate());
        EXPECT_EQ(row.expected, lookUp(u"x.bbb"));
        EXPECT_EQ("", lookUp(u"x.aaa"));
    }
}

TEST_F(SyntaxManagerTest, CorruptCacheIsIgnoredAndRebuilt)
{
    // A cache in the older layout (summaries only) that agrees with the
    // grammars on their count: it must not be trusted either.
    WriteBuffer oldLayout;
    writeInt32(oldLayout, 1);
    for (const char16_t* text : {u"Packages/One/One.tmLanguage", u"Stale", u"source.stale", u""})
        writeString(oldLayout, text);
    writeInt32(oldLayout, 1);
    writeString(oldLayout, u"stale");

    write("One/One.tmLanguage", grammar("One", "source.one", {"one"}));
    EXPECT_EQ(1, recreate());
    const std::string good = readBytes(cacheFile());
    std::string otherVersion = good;
    otherVersion[0] ^= 1;

    struct Case {
        const char* name;
        std::string bytes; // empty: write `oldLayout` as a cache
    } cases[] = {
        {"garbage", "not a cache at all, just text"},
        {"truncated", good.substr(0, good.size() / 2)},
        {"another version", otherVersion},
        {"older layout", std::string()},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.bytes.empty())
            ASSERT_TRUE(writeCacheFile(toUstring(cacheFile().string()), kSyntaxSummaryCacheVersion, oldLayout));
        else
            write("Default/Syntax Summary.cache", row.bytes);
        EXPECT_EQ(1, recreate());
        EXPECT_EQ("Packages/One/One.tmLanguage", lookUp(u"x.one"));
        EXPECT_EQ("", lookUp(u"x.stale"));
        EXPECT_EQ(0, recreate()); // rewritten whole
    }
}

TEST_F(SyntaxManagerTest, AssignMovesExtensionBetweenOptionsFiles)
{
    write("Q/Quill.tmLanguage", grammar("Quill", "text.quill", {}));
    write("Q/Quill.vantrel-options", "# text files\nextensions TXT quill txt  Txt\ntab_size 4");
    write("P/Prose.tmLanguage", grammar("Prose", "text.prose", {}));
    write("P/Prose.vantrel-options", "extensions prose");
    recreate();
    ASSERT_EQ("Packages/Q/Quill.tmLanguage", lookUp(u"a.txt"));

    SyntaxManager::get().assignExtensionToSyntax(u"txt", u"Packages/P/Prose.tmLanguage");
    EXPECT_EQ("Packages/P/Prose.tmLanguage", lookUp(u"a.txt"));
    EXPECT_EQ("# text files\r\nextensions quill\r\ntab_size 4", readBytes(native("Q/Quill.vantrel-options")));
    EXPECT_EQ("extensions prose txt", readBytes(native("P/Prose.vantrel-options")));

    SyntaxManager::get().reload();
    EXPECT_EQ("Packages/P/Prose.tmLanguage", lookUp(u"a.TXT"));
    EXPECT_EQ("Packages/Q/Quill.tmLanguage", lookUp(u"a.quill"));

    // To the grammar that has it already: the word moves to the end.
    SyntaxManager::get().assignExtensionToSyntax(u"prose", u"Packages/P/Prose.tmLanguage");
    EXPECT_EQ("extensions txt prose", readBytes(native("P/Prose.vantrel-options")));

    // Nothing for an empty extension.
    SyntaxManager::get().assignExtensionToSyntax(u"", u"Packages/Q/Quill.tmLanguage");
    EXPECT_EQ("extensions txt prose", readBytes(native("P/Prose.vantrel-options")));
}

TEST_F(SyntaxManagerTest, AssignReportsAnOptionsFileThatCannotBeSaved)
{
    package_test::ReportedErrors errors;
    write("P/Prose.tmLanguage", grammar("Prose", "text.prose", {}));
    fs::create_directories(native("P/Prose.vantrel-options")); // a folder in its place
    recreate();

    SyntaxManager::get().assignExtensionToSyntax(u"txt", u"Packages/P/Prose.tmLanguage");
    EXPECT_EQ((std::vector<std::string>{"Unable to save Packages/P/Prose.vantrel-options"}), errors.take());
}

TEST_F(SyntaxManagerTest, OptionsChangeReloadsThroughTheWatch)
{
    // The native file system does not watch; a memory file system at the
    // same mount point stands in for the directory watcher.
    auto* changes = new testing_support::MemoryFileSystem;
    slate::FileManager::get().mount(u"Packages/", changes);
    write("P/Prose.tmLanguage", grammar("Prose", "text.prose", {}));
    recreate();
    ASSERT_EQ("", lookUp(u"a.txt"));

    write("P/Prose.vantrel-options", "extensions txt");
    changes->queueChange(u"P/Prose.vantrel-options", FileChangeAdded);
    slate::FileManager::get().update();
    EXPECT_EQ("Packages/P/Prose.tmLanguage", lookUp(u"a.txt"));

    // A changed grammar alone does not reload.
    write("P/Prose.tmLanguage", grammar("Prose", "text.prose", {"prose"}));
    changes->queueChange(u"P/Prose.tmLanguage", FileChangeModified);
    slate::FileManager::get().update();
    EXPECT_EQ("", lookUp(u"a.prose"));
}

// Without native names there is nowhere to keep the cache: it is neither
// written (the bare virtual path would land relative to the current
// directory) nor trusted, and every reload reads the headers.
TEST(SyntaxManagerWithoutNativeNames, KeepsNoCache)
{
    const fs::path previous = fs::current_path();
    grammar_test::ScratchFolder folder;
    const fs::path scratch = fs::path(toUtf8(folder.write("marker", ""))).parent_path();
    fs::create_directories(scratch / "Packages" / "Default");
    fs::current_path(scratch);
    {
        package_test::MemoryPackages packages;
        packages.add(u"One/One.tmLanguage", grammar("One", "source.one", {"one"}));
        for (int round = 0; round < 2; ++round) {
            const double before = g_statParseTextMateGrammar.count;
            SyntaxManager::create();
            EXPECT_EQ(1, g_statParseTextMateGrammar.count - before);
            EXPECT_EQ(u"Packages/One/One.tmLanguage", SyntaxManager::get().syntaxForFile(u"x.one"));
            SyntaxManager::destroy();
        }
    }
    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(scratch / "Packages" / "Default" / "Syntax Summary.cache"));
}

} // namespace
