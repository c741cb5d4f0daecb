#include "filesystem/file_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/memory_file_system.h"
#include "ui/main_thread_queue.h"
#include "ui/platform.h"
#include "ui/statistics.h"
#include "ui/unicode.h"

using testing_support::MemoryFileSystem;

namespace {

std::string text(const slate::SP<slate::MemoryBlock>& block)
{
    if (!block)
        return "<null>";
    return std::string(reinterpret_cast<const char*>(block->data()), block->size());
}

struct Delivered {
    ustring path;
    int32_t flags;
    void* userData;
};

std::vector<Delivered> s_delivered;

void recordChange(const ustring& path, int32_t flags, void* userData)
{
    s_delivered.push_back({path, flags, userData});
}

// Two file systems overlaid at "Packages/" (first: native root "first/",
// second: "second/") and one at "UserOptions/".
class FileManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        s_delivered.clear();
        m_first = new MemoryFileSystem(u"first/");
        m_second = new MemoryFileSystem(u"second/");
        m_options = new MemoryFileSystem(u"options/");
        m_manager.mount(u"Packages/", m_first);
        m_manager.mount(u"UserOptions/", m_options);
        m_manager.mount(u"Packages/", m_second);
    }

    slate::FileManagerImpl m_manager;
    MemoryFileSystem* m_first;
    MemoryFileSystem* m_second;
    MemoryFileSystem* m_options;
};

TEST_F(FileManagerTest, OverlayReadsFromFileSystemMountedFirst)
{
    m_first->addFile(u"Default/a.txt", "first");
    m_second->addFile(u"Default/a.txt", "second");
    m_second->addFile(u"Default/b.txt", "only second");

    EXPECT_EQ("first", text(m_manager.read(u"Packages/Default/a.txt")));
    EXPECT_EQ("only second", text(m_manager.read(u"Packages/Default/b.txt")));
    EXPECT_EQ("<null>", text(m_manager.read(u"Packages/Default/c.txt")));
    EXPECT_TRUE(m_manager.exists(u"Packages/Default/b.txt"));
    EXPECT_TRUE(m_manager.exists(u"Packages/Default"));
}

TEST_F(FileManagerTest, FindFilesListsOverlaidFileOnceAndListFilesTwice)
{
    m_first->addFile(u"Default/a.tmTheme", "1");
    m_first->addFile(u"Default/Sub/c.tmTheme", "1");
    m_second->addFile(u"Default/a.tmTheme", "2");
    m_second->addFile(u"Other/b.tmTheme", "2");
    m_second->addFile(u"Other/b.txt", "2");

    std::vector<ustring> found;
    m_manager.findFiles(u"Packages/", u"*.tmTheme", found);
    EXPECT_EQ((std::vector<ustring>{u"Packages/Default/Sub/c.tmTheme", u"Packages/Default/a.tmTheme",
                                    u"Packages/Other/b.tmTheme"}),
              found);

    std::vector<ustring> listed;
    m_manager.listFiles(u"Packages/Default/*.tmTheme", listed);
    EXPECT_EQ((std::vector<ustring>{u"Packages/Default/a.tmTheme", u"Packages/Default/a.tmTheme"}),
              listed);
}

TEST_F(FileManagerTest, FindFilesSortsEarlierEntriesInAndAcceptsDirectoryWithoutSlash)
{
    m_first->addFile(u"Default/b.py", "");
    m_second->addFile(u"Default/a.py", "");
    std::vector<ustring> found{u"Packages/Default/b.py", u"Zebra"};
    m_manager.findFiles(u"Packages/Default", u"*.py", found);
    EXPECT_EQ((std::vector<ustring>{u"Packages/Default/a.py", u"Packages/Default/b.py", u"Zebra"}), found);
}

TEST_F(FileManagerTest, NativePathPrefersExistingFileElseFirstMount)
{
    m_second->addFile(u"Default/only-second.txt", "");
    EXPECT_EQ(u"first/Default/new.txt", m_manager.nativePath(u"Packages/Default/new.txt"));
    EXPECT_EQ(u"second/Default/only-second.txt", m_manager.nativePath(u"Packages/Default/only-second.txt"));
    EXPECT_EQ(u"options/Application.vantrel-options",
              m_manager.nativePath(u"UserOptions/Application.vantrel-options"));
}

TEST_F(FileManagerTest, NativePathSkipsFileSystemsWithoutNativeNames)
{
    slate::FileManagerImpl manager;
    auto* memoryOnly = new MemoryFileSystem();
    auto* native = new MemoryFileSystem(u"disk/");
    manager.mount(u"Packages", memoryOnly);
    manager.mount(u"Packages", native);
    memoryOnly->addFile(u"a.txt", "");
    EXPECT_EQ(u"disk/a.txt", manager.nativePath(u"Packages/a.txt"));
}

TEST_F(FileManagerTest, PathUnderNoMountPointIsUnknown)
{
    m_first->addFile(u"a.txt", "x");
    for (const ustring& path : {ustring(u"Nowhere/a.txt"), ustring(u"packages/a.txt"), ustring(u"a.txt")}) {
        SCOPED_TRACE(toUtf8(path));
        EXPECT_FALSE(m_manager.read(path));
        EXPECT_EQ(u"", m_manager.nativePath(path));
        EXPECT_FALSE(m_manager.exists(path));
        EXPECT_FALSE(m_manager.remove(path));
        std::vector<ustring> entries;
        m_manager.listFiles(path, entries);
        m_manager.findFiles(path + u"/", u"*", entries);
        EXPECT_TRUE(entries.empty());
    }
}

TEST(FileManager, MountPointWithoutFinalSlashActsAsWithIt)
{
    struct Case {
        const char16_t* mountPoint;
    };
    const Case cases[] = {{u"Packages"}, {u"Packages/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.mountPoint));
        slate::FileManagerImpl manager;
        auto* system = new MemoryFileSystem(u"root/");
        system->addFile(u"Default/x.txt", "x");
        manager.mount(c.mountPoint, system);
        EXPECT_EQ("x", text(manager.read(u"Packages/Default/x.txt")));
        EXPECT_EQ(u"root/Default/x.txt", manager.nativePath(u"Packages/Default/x.txt"));
        EXPECT_FALSE(manager.read(u"PackagesDefault/x.txt"));
        std::vector<ustring> found;
        manager.findFiles(u"Packages/", u"*.txt", found);
        EXPECT_EQ(std::vector<ustring>{u"Packages/Default/x.txt"}, found);
    }
}

TEST(FileManager, NestedMountPointServesItsOwnSubtree)
{
    slate::FileManagerImpl manager;
    auto* outer = new MemoryFileSystem(u"outer/");
    auto* inner = new MemoryFileSystem(u"inner/");
    outer->addFile(u"User/a.txt", "outer");
    outer->addFile(u"b.txt", "outer b");
    inner->addFile(u"a.txt", "inner");
    manager.mount(u"Packages/", outer);
    manager.mount(u"Packages/User/", inner);

    EXPECT_EQ("inner", text(manager.read(u"Packages/User/a.txt")));
    EXPECT_EQ("outer b", text(manager.read(u"Packages/b.txt")));
    EXPECT_EQ(u"inner/new.txt", manager.nativePath(u"Packages/User/new.txt"));
}

TEST_F(FileManagerTest, RenameStaysWithinOneMountPoint)
{
    m_first->addFile(u"a.txt", "a");
    m_options->addFile(u"b.txt", "b");

    EXPECT_FALSE(m_manager.rename(u"Packages/a.txt", u"UserOptions/a.txt"));
    EXPECT_FALSE(m_manager.rename(u"UserOptions/b.txt", u"Packages/b.txt"));
    EXPECT_TRUE(m_first->hasFile(u"a.txt"));
    EXPECT_TRUE(m_options->hasFile(u"b.txt"));
    EXPECT_FALSE(m_options->hasFile(u"a.txt"));

    m_second->addFile(u"c.txt", "c");
    EXPECT_TRUE(m_manager.rename(u"Packages/c.txt", u"Packages/d.txt"));
    EXPECT_TRUE(m_second->hasFile(u"d.txt"));
    EXPECT_FALSE(m_manager.rename(u"Packages/missing.txt", u"Packages/e.txt"));
}

TEST_F(FileManagerTest, RemoveTakesTheFirstCopy)
{
    m_first->addFile(u"a.txt", "1");
    m_second->addFile(u"a.txt", "2");
    EXPECT_TRUE(m_manager.remove(u"Packages/a.txt"));
    EXPECT_EQ("2", text(m_manager.read(u"Packages/a.txt")));
}

TEST_F(FileManagerTest, WatchMaskSelectsKindsOfChange)
{
    struct Case {
        int32_t mask;
        int32_t flags;
        bool called;
    };
    const Case cases[] = {
        {FileChangeModified, FileChangeModified, true}, {FileChangeModified, FileChangeAdded, false},
        {FileChangeModified, FileChangeRemoved, false}, {7, FileChangeModified, true},
        {7, FileChangeAdded, true},                     {7, FileChangeRemoved, true},
        {3, FileChangeRemoved, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask << " flags " << c.flags);
        s_delivered.clear();
        int32_t id = m_manager.addWatch(u"Packages/*.tmTheme", c.mask, recordChange, nullptr);
        m_first->queueChange(u"Default/Sub/x.tmTheme", c.flags);
        m_manager.update();
        ASSERT_EQ(c.called ? 1u : 0u, s_delivered.size());
        if (c.called) {
            EXPECT_EQ(u"Packages/Default/Sub/x.tmTheme", s_delivered[0].path);
            EXPECT_EQ(c.flags, s_delivered[0].flags);
        }
        m_manager.removeWatch(id);
    }
}

TEST_F(FileManagerTest, WatchPatternsMatchRegardlessOfCase)
{
    int marker = 0;
    m_manager.addWatch(u"packages/*.tmtheme", 7, recordChange, &marker);
    m_manager.addWatch(u"UserOptions/*.vantrel-options", 1, recordChange, nullptr);
    m_second->queueChange(u"Theme/Dark.tmTheme", FileChangeAdded);
    m_options->queueChange(u"Preferences.VANTREL-OPTIONS", FileChangeModified);
    m_options->queueChange(u"Preferences.txt", FileChangeModified);
    m_manager.update();

    // Mounts are visited longest mount point first.
    ASSERT_EQ(2u, s_delivered.size());
    EXPECT_EQ(u"UserOptions/Preferences.VANTREL-OPTIONS", s_delivered[0].path);
    EXPECT_EQ(u"Packages/Theme/Dark.tmTheme", s_delivered[1].path);
    EXPECT_EQ(&marker, s_delivered[1].userData);
    EXPECT_EQ(1, m_first->pollCount());
    EXPECT_EQ(1, m_options->pollCount());
}

TEST_F(FileManagerTest, WatchIdsCountUpAndAreNeverReused)
{
    EXPECT_EQ(1, m_manager.addWatch(u"*", 7, recordChange, nullptr));
    EXPECT_EQ(2, m_manager.addWatch(u"*", 7, recordChange, nullptr));
    m_manager.removeWatch(2);
    m_manager.removeWatch(99);
    EXPECT_EQ(3, m_manager.addWatch(u"*", 7, recordChange, nullptr));
}

// A callback that removes the watches named in its user data and adds one.
struct Reentrant {
    slate::FileManager* manager;
    std::vector<int32_t> toRemove;
    int calls = 0;
};

void removeWatchesAndAddOne(const ustring& path, int32_t flags, void* userData)
{
    auto* state = static_cast<Reentrant*>(userData);
    ++state->calls;
    for (int32_t id : state->toRemove)
        state->manager->removeWatch(id);
    state->toRemove.clear();
    state->manager->addWatch(u"*", 7, recordChange, nullptr);
}

TEST_F(FileManagerTest, CallbacksMayAddAndRemoveWatchesDuringUpdate)
{
    Reentrant state{&m_manager, {}, 0};
    int32_t first = m_manager.addWatch(u"*", 7, removeWatchesAndAddOne, &state);
    int32_t second = m_manager.addWatch(u"*", 7, recordChange, nullptr);
    state.toRemove = {first, second};
    m_first->queueChange(u"a.txt", FileChangeModified);
    m_first->queueChange(u"b.txt", FileChangeModified);
    m_manager.update();

    // The first change reached only the remover, which took both watches
    // away; the watch it added waits for the next round.
    EXPECT_EQ(1, state.calls);
    EXPECT_TRUE(s_delivered.empty());

    m_first->queueChange(u"c.txt", FileChangeModified);
    m_manager.update();
    ASSERT_EQ(1u, s_delivered.size());
    EXPECT_EQ(u"Packages/c.txt", s_delivered[0].path);
}

TEST(FileManager, DestructorDeletesFileSystemsInListOrder)
{
    std::vector<ustring> destroyed;
    {
        slate::FileManagerImpl manager;
        for (const char16_t* name : {u"a", u"longer", u"b"}) {
            auto* system = new MemoryFileSystem(name);
            system->reportDestructionTo(&destroyed);
            manager.mount(name, system);
        }
    }
    EXPECT_EQ((std::vector<ustring>{u"longer", u"a", u"b"}), destroyed);
}

struct WorkerSearch {
    slate::FileManager* manager;
    std::vector<ustring> found;
};

void searchOnWorker(void* parameter)
{
    auto* search = static_cast<WorkerSearch*>(parameter);
    search->manager->findFiles(u"Packages/", u"*.py", search->found);
}

TEST_F(FileManagerTest, SearchOnWorkerThreadTimesIntoStatisticOnMainThread)
{
    m_first->addFile(u"Default/a.py", "");
    runMainThreadQueue();
    const double before = g_statFileManagerRecurseFindFiles.count;

    WorkerSearch search{&m_manager, {}};
    platform::ThreadHandle thread = platform::get().startThread(searchOnWorker, &search);
    ASSERT_TRUE(thread);
    ASSERT_TRUE(platform::get().joinThread(thread, platform::kInfiniteTimeout));
    platform::get().closeThread(thread);
    EXPECT_EQ(std::vector<ustring>{u"Packages/Default/a.py"}, search.found);
    // The unsynchronised record is only touched by the main thread, when it
    // runs the calls handed to it.
    EXPECT_EQ(before, g_statFileManagerRecurseFindFiles.count);
    runMainThreadQueue();
    EXPECT_EQ(before + 1, g_statFileManagerRecurseFindFiles.count);

    std::vector<ustring> found;
    m_manager.findFiles(u"Packages/", u"*.py", found);
    EXPECT_EQ(before + 2, g_statFileManagerRecurseFindFiles.count);
}

class FileManagerSingletonTest : public testing::Test {
protected:
    void SetUp() override
    {
        s_delivered.clear();
        m_system = new MemoryFileSystem(u"root/");
        auto* manager = new slate::FileManagerImpl;
        manager->mount(u"Packages", m_system);
        slate::FileManager::setInstance(manager);
    }
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    MemoryFileSystem* m_system;
};

TEST_F(FileManagerSingletonTest, LastHandleReleaseRemovesTheWatch)
{
    slate::SP<DirectoryWatchHandle> handle =
        DirectoryWatchHandle::watch(u"Packages/*", 7, recordChange, nullptr);
    slate::SP<DirectoryWatchHandle> copy = handle;
    handle.reset();
    m_system->queueChange(u"a", FileChangeAdded);
    slate::deliverFileChanges();
    EXPECT_EQ(1u, s_delivered.size());

    copy.reset();
    m_system->queueChange(u"b", FileChangeAdded);
    slate::deliverFileChanges();
    EXPECT_EQ(1u, s_delivered.size());
}

TEST_F(FileManagerSingletonTest, HandleReleasedAfterManagerIsGoneOnlyFreesItself)
{
    slate::SP<DirectoryWatchHandle> handle =
        DirectoryWatchHandle::watch(u"Packages/*", 7, recordChange, nullptr);
    slate::FileManager::destroy();
    EXPECT_FALSE(slate::FileManager::alive());
    handle.reset(); // must not reach the destroyed manager
    slate::deliverFileChanges(); // nothing to deliver to
}

} // namespace
