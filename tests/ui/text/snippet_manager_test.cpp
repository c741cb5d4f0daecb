#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "filesystem/path_parts.h"
#include "input/binding_map.h"
#include "ui/forwarding_platform.h"
#include "ui/main_thread_queue.h"
#include "ui/string_interner.h"
#include "ui/text/package_test_support.h"
#include "ui/text/snippet_manager.h"
#include "ui/unicode.h"

namespace {

using package_test::plist;
using package_test::stringDict;

std::string utf8(const slate::usubstring& text) { return toUtf8(ustring(text.begin, text.end)); }

std::string xmlSnippet(const std::string& content, const std::string& trigger = "",
                       const std::string& scope = "", const std::string& description = "")
{
    return "<snippet><description>" + description + "</description><tabTrigger>" + trigger +
           "</tabTrigger><scope>" + scope + "</scope><content>" + content + "</content></snippet>";
}

// A store over an in-memory "Packages/", with the errors it reports
// recorded. Threads started here run to their end at once.
class SnippetManagerTest : public testing::Test {
protected:
    SnippetManagerTest()
    {
        BindingSourceManager::create();
        SnippetManager::create();
    }
    ~SnippetManagerTest() override
    {
        clearMainThreadQueue();
        SnippetManager::destroy();
        BindingSourceManager::destroy();
    }

    SnippetManager& store() { return SnippetManager::get(); }
    // Loads the files added so far as start-up does.
    void load()
    {
        store().loadInBackground(0);
        runMainThreadQueue();
    }
    std::vector<KeyBinding> bindings()
    {
        std::vector<KeyBinding> out;
        store().getBindings(out);
        return out;
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
};

TEST_F(SnippetManagerTest, ReadsBothFormatsAndRefusesBrokenFiles)
{
    struct Case {
        const char* name;
        ustring path;
        std::string bytes;
        std::string description; // of a snippet that loads
        std::string content;
        std::string error; // of one that does not
    };
    const Case cases[] = {
        {"property list", u"Packages/P/a.tmSnippet",
         plist(stringDict({{"name", "Loop"}, {"content", "\nfor\n"}, {"tabTrigger", "for"}, {"scope", "source.c"}})),
         "Loop", "\nfor\n", ""},
        {"extension in capitals is a property list", u"Packages/P/Upper.TMSNIPPET",
         plist(stringDict({{"content", "x"}})), "Upper", "x", ""},
        {"xml trims one line feed at each end", u"Packages/P/trim.vantrel-snippet", xmlSnippet("\nabc\n\n"), "trim",
         "abc\n", ""},
        {"xml line ends become line feeds first", u"Packages/P/crlf.vantrel-snippet",
         xmlSnippet("\r\na\r\nb\r\n", "", "", "Named"), "Named", "a\nb", ""},
        {"xml lone line feed", u"Packages/P/lone.vantrel-snippet", xmlSnippet("\n"), "", "",
         "No content for snippet Packages/P/lone.vantrel-snippet"},
        {"xml not well-formed", u"Packages/P/bad.vantrel-snippet", "<snippet><content>x</snippet>", "", "",
         "Error parsing snippet xml: "},
        {"property list not well-formed", u"Packages/P/bad.tmSnippet", "<plist><dict>", "", "",
         "Error parsing snippet: "},
        {"property list root not a dictionary", u"Packages/P/array.tmSnippet", plist("<array/>"), "", "",
         "Invalid snippet in file Packages/P/array.tmSnippet"},
        {"property list value not a string", u"Packages/P/int.tmSnippet",
         plist("<dict><key>content</key><integer>1</integer></dict>"), "", "",
         "Invalid snippet in file Packages/P/int.tmSnippet"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        m_packages.add(row.path.substr(9), row.bytes);
        SnippetPtr snippet = SnippetManager::loadSnippet(row.path);
        const std::vector<std::string> errors = m_errors.take();
        if (!row.error.empty()) {
            EXPECT_FALSE(snippet);
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].compare(0, row.error.size(), row.error), 0) << errors[0];
            continue;
        }
        ASSERT_TRUE(snippet) << (errors.empty() ? "" : errors[0]);
        EXPECT_EQ(utf8(snippet->description()), row.description);
        EXPECT_EQ(utf8(snippet->content()), row.content);
        EXPECT_EQ(snippet->path(), slate::usubstring(row.path));
    }
}

TEST_F(SnippetManagerTest, LoaderInstallsWhatLoadsAndReportsTheRest)
{
    m_packages.add(u"P/good.vantrel-snippet", xmlSnippet("x", "go", "", "Good"));
    m_packages.add(u"P/empty.vantrel-snippet", xmlSnippet(""));
    load();
    EXPECT_TRUE(store().hasSnippet(u"Packages/P/good.vantrel-snippet"));
    EXPECT_FALSE(store().hasSnippet(u"Packages/P/empty.vantrel-snippet"));
    EXPECT_EQ(m_errors.take(), std::vector<std::string>{"No content for snippet Packages/P/empty.vantrel-snippet"});
    ustring content;
    EXPECT_TRUE(store().snippetContent(u"Packages/P/good.vantrel-snippet", content));
    EXPECT_EQ(content, u"x");
    EXPECT_EQ(utf8(store().findSnippet(u"Packages/P/good.vantrel-snippet")), "Good");
    EXPECT_TRUE(store().findSnippet(u"Packages/P/none.vantrel-snippet").empty());
    EXPECT_FALSE(store().snippetContent(u"Packages/P/none.vantrel-snippet", content));
}

TEST_F(SnippetManagerTest, TriggersBecomeTypedCharactersThenTab)
{
    struct Case {
        const char* trigger;
        const char* key;
    };
    const Case cases[] = {{"for", "f,o,r,tab"}, {"a,b", "a,,,b,tab"}, {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80,!,tab"}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.trigger);
        SnippetMap snippets;
        const ustring path = u"Packages/P/\"q\".vantrel-snippet";
        snippets[path] = Snippet::create(u"d", u"c", path, toUstring(row.trigger), u"source.c");
        store().attachSnippets(std::move(snippets));
        const std::vector<KeyBinding> found = bindings();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(toUtf8(found[0].key), row.key);
        EXPECT_EQ(toUtf8(found[0].command), "insertSnippet \"Packages/P/\\\"q\\\".vantrel-snippet\"");
        ASSERT_EQ(found[0].contexts.size(), 1u);
        EXPECT_EQ(ustring(found[0].contexts[0].name), u"selector");
        EXPECT_EQ(ustring(found[0].contexts[0].value), u"source.c");
    }
}

TEST_F(SnippetManagerTest, SharedTriggerAndScopeAddAChoiceAfterBothSnippets)
{
    struct Case {
        const char* name;
        const char16_t* secondScope;
        std::vector<std::string> commands;
    };
    const Case cases[] = {
        {"same scope", u"source.c",
         {"insertSnippet \"Packages/P/a.vantrel-snippet\"", "insertSnippet \"Packages/P/b.vantrel-snippet\"",
          "chooseSnippet \"Packages/P/a.vantrel-snippet\" \"Packages/P/b.vantrel-snippet\""}},
        {"other scope", u"source.d",
         {"insertSnippet \"Packages/P/a.vantrel-snippet\"", "insertSnippet \"Packages/P/b.vantrel-snippet\""}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        SnippetMap snippets;
        snippets[u"Packages/P/b.vantrel-snippet"] =
            Snippet::create(u"b", u"c", u"Packages/P/b.vantrel-snippet", u"for", row.secondScope);
        snippets[u"Packages/P/a.vantrel-snippet"] =
            Snippet::create(u"a", u"c", u"Packages/P/a.vantrel-snippet", u"for", u"source.c");
        snippets[u"Packages/P/none.vantrel-snippet"] =
            Snippet::create(u"n", u"c", u"Packages/P/none.vantrel-snippet", u"", u"");
        store().attachSnippets(std::move(snippets));
        std::vector<std::string> commands;
        for (const KeyBinding& binding : bindings())
            commands.push_back(toUtf8(binding.command));
        EXPECT_EQ(commands, row.commands);
    }
}

// The menu as text: a submenu is its caption and its entries in braces, an
// item its caption, "=" and its command.
std::string describeMenu(const MenuDescriptor& menu)
{
    std::string text;
    for (const MenuEntry& entry : menu.m_entries) {
        if (!text.empty())
            text += ' ';
        if (entry.m_submenu)
            text += toUtf8(entry.m_submenu->m_caption) + "{" + describeMenu(*entry.m_submenu) + "}";
        else
            text += toUtf8(entry.m_item->m_caption) + "=" + toUtf8(entry.m_item->m_command);
    }
    return text;
}

TEST_F(SnippetManagerTest, MenuHoldsPackageSnippetsByDirectory)
{
    SnippetMap snippets;
    for (const char16_t* path : {u"Packages/C/loop/for.vantrel-snippet", u"Packages/C/if.vantrel-snippet",
                                 u"Packages/C/loop/while.vantrel-snippet", u"Packages/Default/x.vantrel-snippet",
                                 u"Packages/top.vantrel-snippet"})
        snippets[path] = Snippet::create(pathStem(path, u'/').str() + u" &\tx", u"c", path, u"", u"");
    store().attachSnippets(std::move(snippets));
    ASSERT_TRUE(store().menu());
    EXPECT_EQ(describeMenu(*store().menu()),
              "C{if && x=insertSnippet \"Packages/C/if.vantrel-snippet\" "
              "loop{for && x=insertSnippet \"Packages/C/loop/for.vantrel-snippet\" "
              "while && x=insertSnippet \"Packages/C/loop/while.vantrel-snippet\"}}");
}

TEST_F(SnippetManagerTest, FileChangesReachKeyMapsAfterOnePostedRebuild)
{
    const ustring path = u"Packages/P/for.vantrel-snippet";
    const ustring command = u"insertSnippet \"" + path + u"\"";
    m_packages.add(u"P/for.vantrel-snippet", xmlSnippet("old", "for"));
    BindingMap map;
    map.setKeymapName(u"Default");
    load();
    EXPECT_FALSE(map.keyText(command).empty());

    m_packages.change(u"P/for.vantrel-snippet", xmlSnippet("new", "for"));
    ustring content;
    EXPECT_TRUE(store().snippetContent(path, content));
    EXPECT_EQ(content, u"new");

    m_packages.change(u"P/for.vantrel-snippet", "", FileChangeRemoved);
    EXPECT_FALSE(store().hasSnippet(path));
    runMainThreadQueue();
    EXPECT_TRUE(map.keyText(command).empty());
    EXPECT_EQ(describeMenu(*store().menu()), "");
}

// A file system whose first read waits until the test lets it go, so that a
// load is known to be running.
class GatedFiles final : public slate::FileSystem {
public:
    explicit GatedFiles(testing_support::MemoryFileSystem* files) : m_files(files) {}
    ~GatedFiles() override { delete m_files; }

    std::promise<void> readStarted;
    std::promise<void> gate;

    slate::SP<slate::MemoryBlock> read(const ustring& path) override
    {
        if (!m_started) {
            m_started = true;
            readStarted.set_value();
            gate.get_future().wait();
        }
        return m_files->read(path);
    }
    bool readAsync(const ustring& path, slate::ReadCompletion completion) override
    {
        return m_files->readAsync(path, completion);
    }
    void poll() override {}
    void listFiles(const ustring& pattern, std::vector<ustring>& entries) override
    {
        m_files->listFiles(pattern, entries);
    }
    void findFiles(const ustring& directory, const ustring& pattern, std::vector<ustring>& files) override
    {
        m_files->findFiles(directory, pattern, files);
    }
    bool exists(const ustring& path) override { return m_files->exists(path); }
    bool remove(const ustring& path) override { return m_files->remove(path); }
    bool rename(const ustring& from, const ustring& to) override { return m_files->rename(from, to); }
    ustring nativePath(const ustring& path) override { return m_files->nativePath(path); }
    void takeChanges(std::vector<slate::FileChange>& changes) override { m_files->takeChanges(changes); }

private:
    testing_support::MemoryFileSystem* m_files; // owned
    bool m_started = false; // loader thread only
};

// Keeps every thread handle until the test joins them all, so that a
// thread its owner let go still runs to its end inside the test.
class ThreadsJoinedByTheTest final : public ForwardingPlatform {
public:
    void closeThread(platform::ThreadHandle thread) override { m_threads.push_back(thread); }
    void joinAll()
    {
        for (platform::ThreadHandle thread : m_threads) {
            ForwardingPlatform::joinThread(thread, platform::kInfiniteTimeout);
            ForwardingPlatform::closeThread(thread);
        }
        m_threads.clear();
    }

private:
    std::vector<platform::ThreadHandle> m_threads;
};

TEST(SnippetStoreShutdown, DestroyingTheStoreDuringALoadStopsTheLoaderBeforeTheFilesGo)
{
    ThreadsJoinedByTheTest threads;
    auto* memory = new testing_support::MemoryFileSystem;
    for (int i = 0; i < 2000; ++i)
        memory->addFile(u"P/s" + toUstring(std::to_string(i)) + u".vantrel-snippet", xmlSnippet("x", "t"));
    auto* files = new GatedFiles(memory);
    std::future<void> started = files->readStarted.get_future();
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    slate::FileManager::get().mount(u"Packages/", files);
    BindingSourceManager::create();
    SnippetManager::create();

    SnippetManager::get().loadInBackground(0);
    started.wait();
    files->gate.set_value();
    SnippetManager::destroy();
    slate::FileManager::destroy();
    // A loader left running would read through the destroyed file manager
    // now.
    threads.joinAll();
    // Whatever the loader posted delivers nothing.
    runMainThreadQueue();
    BindingSourceManager::destroy();
    EXPECT_FALSE(SnippetManager::alive());
}

} // namespace
