// Directory changes reach watches through the program's own main loop: the
// main-loop window is the file-change window, and its procedure answers
// WM_FILES_CHANGED with FileManager::update.
#include <gtest/gtest.h>

#include "filesystem/file_manager.h"
#include "filesystem/win32_test_helpers.h"
#include "filesystem/windows_file_system.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/platform.h"
#include "window_manager/main_loop.h"

namespace {

struct Delivery {
    ustring path;
    int32_t flags = 0;
    bool onMainThread = false;
};

void quitOnChange(const ustring& path, int32_t flags, void* userData)
{
    auto* delivery = static_cast<Delivery*>(userData);
    if (!delivery->path.empty())
        return;
    delivery->path = path;
    delivery->flags = flags;
    delivery->onMainThread = platform::get().isMainThread();
    quitMainLoop(0);
}

// Ends the loop with exit code 1 unless the event is set within 2 s, so a
// lost change fails the test instead of hanging it.
struct Watchdog {
    platform::EventHandle cancel;
};

void watchdogThread(void* parameter)
{
    auto* watchdog = static_cast<Watchdog*>(parameter);
    if (!platform::get().waitEvent(watchdog->cancel, 2000))
        quitMainLoop(1);
}

TEST(FileChangeDelivery, MainLoopWindowDeliversChangesToWatches)
{
    const test_support::ScratchFolder folder("vantrel-windelivery");
    const ustring directory = test_support::programPath(folder.path().string()) + u'\\';
    ASSERT_NE(u"\\", directory);
    ASSERT_TRUE(createMainLoopWindow());
    EXPECT_EQ(mainLoopWindow(), slate::fileChangeWindow());

    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", slate::WindowsFileSystem::create(directory));
    slate::FileManager::setInstance(manager);
    Delivery delivery;
    slate::SP<DirectoryWatchHandle> watch =
        DirectoryWatchHandle::watch(u"packages/*.TXT", 7, quitOnChange, &delivery);
    ASSERT_TRUE(win32_test::writeFile(directory + u"a.txt", "a"));

    Watchdog watchdog{platform::get().createEvent(true, false)};
    platform::ThreadHandle thread = platform::get().startThread(watchdogThread, &watchdog);
    ASSERT_TRUE(thread);
    int exitCode = runMainLoop();
    platform::get().setEvent(watchdog.cancel);
    platform::get().joinThread(thread, platform::kInfiniteTimeout);
    platform::get().closeThread(thread);
    platform::get().closeEvent(watchdog.cancel);

    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(u"Packages/a.txt", delivery.path);
    EXPECT_EQ(FileChangeAdded, delivery.flags);
    EXPECT_TRUE(delivery.onMainThread);

    watch.reset();
    slate::FileManager::destroy();
    destroyMainLoopWindow();
    EXPECT_EQ(nullptr, slate::fileChangeWindow());
}

} // namespace
