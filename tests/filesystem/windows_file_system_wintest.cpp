// The Win32 file system on a real temporary directory under Wine: reads,
// searches, and the directory watcher's changes travelling through
// WM_FILES_CHANGED to watches on the main thread.
#include "filesystem/windows_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/win32_test_helpers.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/platform.h"
#include "ui/unicode.h"

namespace {

// Generous: a change normally arrives within the 100 ms pause of a batch.
const uint32_t kDeliveryTimeoutMs = 2000;

struct Seen {
    ustring path;
    int32_t flags;
    bool onMainThread;
};

std::vector<Seen> s_seen;

void recordChange(const ustring& path, int32_t flags, void*)
{
    s_seen.push_back({path, flags, platform::get().isMainThread()});
}

std::string describe(const std::vector<Seen>& seen)
{
    std::string text;
    for (const Seen& change : seen)
        text += toUtf8(change.path) + ":" + std::to_string(change.flags) + " ";
    return text;
}

class WindowsFileSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::Automatic);
        s_seen.clear();
        m_directory = test_support::programPath(m_folder.path().string());
        ASSERT_FALSE(m_directory.empty());
        m_directory += u'\\';
        m_window = win32_test::createFileChangeWindow();
        ASSERT_TRUE(m_window);
    }
    void TearDown() override
    {
        slate::setFileChangeWindow(nullptr);
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        win32_test::destroyFileChangeWindow(m_window);
        slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::Automatic);
    }

    // Mounts the temporary directory at "Packages/" and watches every change
    // below it; the window is the file-change window unless told otherwise.
    void mountAndWatch(bool setWindow = true)
    {
        m_system = slate::WindowsFileSystem::create(m_directory);
        ASSERT_TRUE(m_system);
        auto* manager = new slate::FileManagerImpl;
        manager->mount(u"Packages", m_system);
        slate::FileManager::setInstance(manager);
        manager->addWatch(u"Packages/*", 7, recordChange, nullptr);
        if (setWindow)
            slate::setFileChangeWindow(m_window);
    }

    // Changes within one directory are reported in order (across
    // directories only when the whole tree is one request), so once a file
    // created last in each touched directory is seen, everything before it
    // has been delivered. `directories` are relative, ending in a backslash.
    void waitForSentinel(std::vector<ustring> directories = {ustring()})
    {
        std::vector<ustring> sentinels;
        for (const ustring& directory : directories) {
            ASSERT_TRUE(win32_test::writeFile(m_directory + directory + u"zz-sentinel", ""));
            ustring path = u"Packages/" + directory + u"zz-sentinel";
            std::replace(path.begin(), path.end(), u'\\', u'/');
            sentinels.push_back(path);
        }
        // Sentinels of earlier rounds may be reported too, when removed.
        auto isSentinel = [](const Seen& change) {
            const ustring name = u"/zz-sentinel";
            return change.path.size() >= name.size() &&
                   change.path.compare(change.path.size() - name.size(), name.size(), name) == 0;
        };
        bool seen = win32_test::pumpMessagesUntil(
            [&] {
                return std::all_of(sentinels.begin(), sentinels.end(), [](const ustring& sentinel) {
                    return std::any_of(s_seen.begin(), s_seen.end(),
                                       [&sentinel](const Seen& change) { return change.path == sentinel; });
                });
            },
            kDeliveryTimeoutMs);
        ASSERT_TRUE(seen) << describe(s_seen);
        s_seen.erase(std::remove_if(s_seen.begin(), s_seen.end(), isSentinel), s_seen.end());
    }

    // The changes seen, as "path:flags" in order of path.
    static std::vector<std::string> sortedSeen()
    {
        std::vector<std::string> changes;
        for (const Seen& change : s_seen)
            changes.push_back(toUtf8(change.path) + ":" + std::to_string(change.flags));
        std::sort(changes.begin(), changes.end());
        return changes;
    }

    const test_support::ScratchFolder m_folder{"vantrel-winfs"};
    ustring m_directory; // m_folder's Windows path, ending in a backslash
    platform::WindowHandle m_window = nullptr;
    slate::WindowsFileSystem* m_system = nullptr; // owned by the file manager
};

// The watcher's behaviour in both of its ways of following the tree.
class WindowsFileSystemWatchTest : public WindowsFileSystemTest,
                                   public testing::WithParamInterface<slate::WindowsFileSystem::WatchMode> {
protected:
    void SetUp() override
    {
        WindowsFileSystemTest::SetUp();
        slate::WindowsFileSystem::setWatchMode(GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Modes, WindowsFileSystemWatchTest,
                         testing::Values(slate::WindowsFileSystem::WatchMode::WholeTree,
                                         slate::WindowsFileSystem::WatchMode::PerDirectory),
                         [](const testing::TestParamInfo<slate::WindowsFileSystem::WatchMode>& info) {
                             return info.param == slate::WindowsFileSystem::WatchMode::WholeTree
                                        ? "WholeTree"
                                        : "PerDirectory";
                         });

TEST_P(WindowsFileSystemWatchTest, CreateThenTwoWritesGiveOneAddedOnTheMainThread)
{
    mountAndWatch();
    int messagesBefore = win32_test::filesChangedMessageCount();
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"new.txt", ""));
    ASSERT_TRUE(win32_test::appendToFile(m_directory + u"new.txt", "one"));
    ASSERT_TRUE(win32_test::appendToFile(m_directory + u"new.txt", "two"));
    waitForSentinel();

    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/new.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeAdded, s_seen[0].flags);
    EXPECT_TRUE(s_seen[0].onMainThread);
    EXPECT_GT(win32_test::filesChangedMessageCount(), messagesBefore);
}

TEST_P(WindowsFileSystemWatchTest, DeleteGivesRemovedAndRenameGivesRemovedThenAdded)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"gone.txt", "x"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"old.txt", "y"));
    mountAndWatch();

    ASSERT_TRUE(slate::FileManager::get().remove(u"Packages/gone.txt"));
    waitForSentinel();
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/gone.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeRemoved, s_seen[0].flags);

    s_seen.clear();
    ASSERT_TRUE(slate::FileManager::get().rename(u"Packages/old.txt", u"Packages/new.txt"));
    waitForSentinel();
    ASSERT_EQ(2u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/old.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeRemoved, s_seen[0].flags);
    EXPECT_EQ(u"Packages/new.txt", s_seen[1].path);
    EXPECT_EQ(FileChangeAdded, s_seen[1].flags);
}

TEST_P(WindowsFileSystemWatchTest, ChangeInSubdirectoryArrivesWithSlashes)
{
    // A tree made after mounting: Wine's whole-tree requests see only those.
    mountAndWatch();
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Sub"));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Sub\\Deeper"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Sub\\Deeper\\x.tmTheme", "x"));
    waitForSentinel({u"Sub\\Deeper\\"});
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/Sub/Deeper/x.tmTheme", s_seen[0].path);
}

TEST_P(WindowsFileSystemWatchTest, ChangeQueuedWithoutWindowIsDeliveredOnceWindowIsSet)
{
    mountAndWatch(false);
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"early.txt", "x"));
    ASSERT_TRUE(win32_test::pumpMessagesUntil([this] { return m_system->hasPendingChanges(); },
                                              kDeliveryTimeoutMs));
    EXPECT_TRUE(s_seen.empty());

    slate::setFileChangeWindow(m_window);
    ASSERT_TRUE(win32_test::pumpMessagesUntil([] { return !s_seen.empty(); }, kDeliveryTimeoutMs));
    EXPECT_EQ(u"Packages/early.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeAdded, s_seen[0].flags);

    // The watcher is not left silent: later changes are posted as usual.
    s_seen.clear();
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"later.txt", "y"));
    waitForSentinel();
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/later.txt", s_seen[0].path);
}

TEST_F(WindowsFileSystemTest, PerDirectoryWatchSeesDirectoriesThatExistedBeforeMounting)
{
    slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::PerDirectory);
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Default"));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Default\\Themes"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Default\\Themes\\a.tmTheme", "a"));
    mountAndWatch();

    ASSERT_TRUE(win32_test::appendToFile(m_directory + u"Default\\Themes\\a.tmTheme", "b"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Default\\b.tmTheme", "b"));
    waitForSentinel({u"Default\\", u"Default\\Themes\\"});
    EXPECT_EQ((std::vector<std::string>{"Packages/Default/Themes/a.tmTheme:1", "Packages/Default/b.tmTheme:2"}),
              sortedSeen());
}

TEST_F(WindowsFileSystemTest, PerDirectoryWatchFollowsDirectoriesMadeRenamedAndRemoved)
{
    slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::PerDirectory);
    mountAndWatch();

    // Directories themselves are never reported, only the files in them.
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"New"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"New\\x.txt", "x"));
    waitForSentinel({u"New\\"});
    ASSERT_FALSE(s_seen.empty());
    for (const Seen& change : s_seen) {
        EXPECT_EQ(u"Packages/New/x.txt", change.path);
        EXPECT_EQ(FileChangeAdded, change.flags);
    }

    // A directory that arrives whole brings its files as added ones; the
    // write that follows folds into that change.
    s_seen.clear();
    ASSERT_TRUE(slate::FileManager::get().rename(u"Packages/New", u"Packages/Renamed"));
    ASSERT_TRUE(win32_test::appendToFile(m_directory + u"Renamed\\x.txt", "y"));
    waitForSentinel({u"Renamed\\"});
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/Renamed/x.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeAdded, s_seen[0].flags);

    s_seen.clear();
    ASSERT_TRUE(win32_test::appendToFile(m_directory + u"Renamed\\x.txt", "z"));
    waitForSentinel({u"Renamed\\"});
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(FileChangeModified, s_seen[0].flags);

    s_seen.clear();
    win32_test::removeDirectoryTree(m_directory + u"Renamed");
    ASSERT_TRUE(win32_test::pumpMessagesUntil([] { return !s_seen.empty(); }, kDeliveryTimeoutMs));
    waitForSentinel();
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/Renamed/x.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeRemoved, s_seen[0].flags);
}

// Right after a rename a folder may still be held by whoever moved it, so
// that it can be neither opened nor listed for a while; its files must still
// arrive once it is free.
TEST_F(WindowsFileSystemTest, PerDirectoryWatchListsAFolderThatArrivedWhileHeld)
{
    slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::PerDirectory);
    const test_support::ScratchFolder outside{"vantrel-winfs-outside"};
    const ustring source = test_support::programPath(outside.path().string()) + u"\\Busy";
    ASSERT_TRUE(win32_test::createDirectory(source));
    ASSERT_TRUE(win32_test::writeFile(source + u"\\inside.txt", "x"));
    mountAndWatch();

    void* held = win32_test::holdDirectory(source);
    ASSERT_TRUE(held);
    ASSERT_TRUE(win32_test::moveEntry(source, m_directory + u"Busy"));
    win32_test::pumpMessagesUntil([] { return false; }, 300);
    win32_test::closeFile(held);
    ASSERT_TRUE(win32_test::pumpMessagesUntil([] { return !s_seen.empty(); }, kDeliveryTimeoutMs))
        << "the held folder's file was never reported";
    waitForSentinel({u"Busy\\"});
    ASSERT_EQ(1u, s_seen.size()) << describe(s_seen);
    EXPECT_EQ(u"Packages/Busy/inside.txt", s_seen[0].path);
    EXPECT_EQ(FileChangeAdded, s_seen[0].flags);
}

// A burst in one folder overflows its request's buffer (a directory of its
// own has 4 KB under Wine); the system then drops the details, and the
// watcher reports every file of the folder instead of losing them.
TEST_F(WindowsFileSystemTest, BurstThatOverflowsAFolderRequestStillReportsEveryFile)
{
    slate::WindowsFileSystem::setWatchMode(slate::WindowsFileSystem::WatchMode::PerDirectory);
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Burst"));
    mountAndWatch();

    std::set<ustring> written;
    for (int i = 0; i < 400; ++i) {
        // Long names: a few dozen records fill the buffer.
        const ustring name = ustring(200, u'n') + toUstring(std::to_string(i));
        ASSERT_TRUE(win32_test::writeFile(m_directory + u"Burst\\" + name, "x"));
        written.insert(u"Packages/Burst/" + name);
    }
    waitForSentinel({u"Burst\\"});
    std::set<ustring> reported;
    for (const Seen& change : s_seen) {
        EXPECT_NE(FileChangeRemoved, change.flags) << toUtf8(change.path);
        reported.insert(change.path);
    }
    std::vector<ustring> missing;
    std::set_difference(written.begin(), written.end(), reported.begin(), reported.end(),
                        std::back_inserter(missing));
    EXPECT_TRUE(missing.empty()) << missing.size() << " files never reported, among them "
                                 << toUtf8(missing.empty() ? ustring() : missing.front());
}

TEST_F(WindowsFileSystemTest, ReadsWholeFilesWithCaseInsensitiveNames)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"MixedCase.TXT", std::string("a\0b", 3)));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"empty.txt", ""));
    mountAndWatch();
    slate::FileManager& files = slate::FileManager::get();

    slate::SP<slate::MemoryBlock> block = files.read(u"Packages/mixedcase.txt");
    ASSERT_TRUE(block);
    EXPECT_EQ(std::string("a\0b", 3), std::string(reinterpret_cast<const char*>(block->data()), block->size()));
    block = files.read(u"Packages/empty.txt");
    ASSERT_TRUE(block);
    EXPECT_EQ(0u, block->size());
    EXPECT_FALSE(files.read(u"Packages/missing.txt"));
    EXPECT_FALSE(m_system->read(u""));
    EXPECT_TRUE(files.exists(u"Packages/MIXEDCASE.txt"));
    EXPECT_FALSE(files.readAsync(u"Packages/empty.txt", [](slate::SP<slate::MemoryBlock>) {}));
    EXPECT_EQ(m_directory + u"Sub/new.txt", files.nativePath(u"Packages/Sub/new.txt"));
}

TEST_F(WindowsFileSystemTest, FindFilesMatchesNamesCaseSensitivelyAndSkipsSvn)
{
    for (const char16_t* directory : {u"X", u".svn", u"V", u"V\\.svn"})
        ASSERT_TRUE(win32_test::createDirectory(m_directory + directory));
    for (const char16_t* file : {u"X\\Y.tmLanguage", u"X\\Z.TMLANGUAGE", u".svn\\W.tmLanguage",
                                 u"V\\.svn\\W.tmLanguage", u"V\\V.tmLanguage", u"top.tmLanguage"})
        ASSERT_TRUE(win32_test::writeFile(m_directory + file, ""));
    mountAndWatch();

    std::vector<ustring> found;
    slate::FileManager::get().findFiles(u"Packages/", u"*.tmLanguage", found);
    EXPECT_EQ((std::vector<ustring>{u"Packages/V/V.tmLanguage", u"Packages/X/Y.tmLanguage",
                                    u"Packages/top.tmLanguage"}),
              found);

    std::vector<ustring> listed;
    m_system->listFiles(u"X/*.tmLanguage", listed);
    std::sort(listed.begin(), listed.end());
    // The system's own enumeration matches names without regard to case.
    EXPECT_EQ((std::vector<ustring>{u"X/Y.tmLanguage", u"X/Z.TMLANGUAGE"}), listed);
}

TEST_F(WindowsFileSystemTest, CreateRefusesMissingDirectoryAndEndsRootWithBackslash)
{
    EXPECT_EQ(nullptr, slate::WindowsFileSystem::create(m_directory + u"missing"));
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"file", ""));
    EXPECT_EQ(nullptr, slate::WindowsFileSystem::create(m_directory + u"file"));

    // A Unix name is not relative: the system opens it as it is.
    const ustring unixName = toUstring(m_folder.path().string());
    ASSERT_EQ(u'/', unixName[0]);
    std::unique_ptr<slate::WindowsFileSystem> unixRoot(slate::WindowsFileSystem::create(unixName));
    ASSERT_TRUE(unixRoot);
    EXPECT_EQ(unixName + u"\\", unixRoot->root());
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"seen.txt", "x"));
    EXPECT_TRUE(unixRoot->exists(u"seen.txt"));
    unixRoot.reset();

    ustring withoutBackslash = m_directory.substr(0, m_directory.size() - 1);
    std::unique_ptr<slate::WindowsFileSystem> system(slate::WindowsFileSystem::create(withoutBackslash));
    ASSERT_TRUE(system);
    EXPECT_EQ(m_directory, system->root());
}

} // namespace
