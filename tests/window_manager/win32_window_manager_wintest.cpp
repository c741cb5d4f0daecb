// Application windows under Wine: creation with placement text and renderer
// fallback, closing through the handler, the end of the loop, and the targets
// of the main-thread queue following the current window.
#include "window_manager/app_window_fixture.h"

#include "filesystem/directory_watcher.h"
#include "ui/notification_manager.h"

namespace app_window_test {
namespace {

TEST_F(AppWindowTest, PlacementTextRoundTripsAndAMinimisedWindowOpensRestored)
{
    struct Case {
        const char16_t* placement;
        const char16_t* expected;
        bool maximised;
    };
    const Case cases[] = {
        {u"0,0,1,-1,-1,-1,-1,100,100,740,580", u"0,0,1,-1,-1,-1,-1,100,100,740,580", false},
        // Minimised when saved: shown at the restored rect.
        {u"0,0,2,-1,-1,-1,-1,100,100,740,580", u"0,0,1,-1,-1,-1,-1,100,100,740,580", false},
        {u"0,0,7,-1,-1,-1,-1,120,90,500,400", u"0,0,1,-1,-1,-1,-1,120,90,500,400", false},
        {u"0,0,3,-1,-1,-1,-1,100,100,740,580", u"0,0,3,-1,-1,-1,-1,100,100,740,580", true},
        // Show states that would leave the window hidden or minimised.
        {u"0,0,0,-1,-1,-1,-1,100,100,740,580", u"0,0,1,-1,-1,-1,-1,100,100,740,580", false},
        {u"0,0,6,-1,-1,-1,-1,100,100,740,580", u"0,0,1,-1,-1,-1,-1,100,100,740,580", false},
        {u"0,0,-9,-1,-1,-1,-1,100,100,740,580", u"0,0,1,-1,-1,-1,-1,100,100,740,580", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.placement));
        RecordingHandler* handler = open(c.placement);
        ASSERT_NE(handler, nullptr);
        const platform::WindowHandle window = handleOf(handler);
        EXPECT_TRUE(window_test::isVisible(window));
        EXPECT_FALSE(window_test::isMinimised(window));
        EXPECT_EQ(window_test::isMaximised(window), c.maximised);
        EXPECT_EQ(toUtf8(handler->m_window->placement()), toUtf8(c.expected));
        window_test::destroyWindow(window);
    }
    EXPECT_TRUE(appWindows().empty());
}

TEST_F(AppWindowTest, FullScreenKeepsThePlacementToRestore)
{
    RecordingHandler* handler = open(u"0,0,1,-1,-1,-1,-1,100,100,740,580");
    ASSERT_NE(handler, nullptr);
    Window* window = handler->m_window;
    window->setFullscreen(true);
    EXPECT_TRUE(window->isFullscreen());
    EXPECT_EQ(toUtf8(window->placement()), "1,0,1,-1,-1,-1,-1,100,100,740,580");
    window->setFullscreen(false);
    EXPECT_FALSE(window->isFullscreen());
    EXPECT_EQ(toUtf8(window->placement()), "0,0,1,-1,-1,-1,-1,100,100,740,580");
}

// Both renderers of the build, chosen and drawing in a real window.
TEST_F(AppWindowTest, EachRendererDrawsAWindow)
{
    struct Case {
        int flags;
        const char* renderer;
    };
    const Case cases[] = {{0, "DirectX"}, {Win32WindowManager::kUseSwapChains, "DirectX"},
                          {Win32WindowManager::kUseOpenGL, "OpenGL"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        install(c.flags);
        RecordingHandler* handler = open();
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(toUtf8(handler->m_window->rendererName()), c.renderer);
        EXPECT_NE(handler->m_window->canvas(), nullptr);
        window_test::paintNow(handleOf(handler));
        EXPECT_EQ(handler->m_frames, 1);
        window_test::destroyWindow(handleOf(handler));
    }
}

TEST_F(AppWindowTest, WindowsHaveTheirClassAndDrawThroughTheirRenderer)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(toUtf8(window_test::className(handleOf(handler))), "VTMainWindowClass");
    EXPECT_EQ(toUtf8(handler->m_window->rendererName()), "OpenGL");
    EXPECT_EQ(handler->m_rect.x1, 640.f);
    EXPECT_EQ(handler->m_rect.y1, 480.f);
    EXPECT_TRUE(window_test::needsPaint(handleOf(handler)));
    window_test::paintNow(handleOf(handler));
    EXPECT_EQ(handler->m_frames, 1);
}

// While frames report work left, the window repaints by itself on a 33 ms
// timer; a frame that is done stops it.
TEST_F(AppWindowTest, FramesRepaintByThemselvesUntilOneIsDone)
{
    struct Case {
        int framesUntilDone;
        bool repaints;
    };
    const Case cases[] = {{1000, true}, {2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.framesUntilDone);
        RecordingHandler* handler = open();
        ASSERT_NE(handler, nullptr);
        handler->m_framesUntilDone = c.framesUntilDone;
        int framesWhileIdle = -1;
        postToMainThread([&] {
            // Two frames first, then nothing but the frames' own timer.
            setTimeout(
                [&] {
                    const int start = handler->m_frames;
                    setTimeout(
                        [&, start] {
                            framesWhileIdle = handler->m_frames - start;
                            window_test::destroyWindow(handleOf(handler));
                        },
                        300);
                },
                100);
        });
        EXPECT_TRUE(runLoop());
        if (c.repaints)
            EXPECT_GE(framesWhileIdle, 4);
        else
            EXPECT_LE(framesWhileIdle, 1); // the queued call's own repaint
    }
}

int g_waits = 0;
int g_wakes = 0;

TEST_F(AppWindowTest, TheLoopReleasesTheInterpreterLockWhileItWaits)
{
    struct Case {
        int flags;
        bool released;
    };
    const Case cases[] = {{Win32WindowManager::kUseOpenGL, true},
                          {Win32WindowManager::kUseOpenGL | Win32WindowManager::kKeepInterpreterLock, false}};
    setMessageWaitHooks([] { ++g_waits; }, [] { ++g_wakes; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        install(c.flags);
        g_waits = g_wakes = 0;
        ASSERT_NE(open(), nullptr);
        EXPECT_TRUE(runSteps({[] { EXPECT_EQ(g_waits, g_wakes); }}));
        EXPECT_EQ(g_waits > 0, c.released);
        EXPECT_EQ(g_waits, g_wakes);
    }
    setMessageWaitHooks(nullptr, nullptr);
}

TEST_F(AppWindowTest, CloseAsksTheHandlerAndTheLastWindowEndsTheLoop)
{
    RecordingHandler* first = open();
    RecordingHandler* second = open();
    ASSERT_TRUE(first && second);
    const platform::WindowHandle firstWindow = handleOf(first);
    const platform::WindowHandle secondWindow = handleOf(second);
    bool firstDeleted = false;
    first->m_deleted = &firstDeleted;
    first->m_allowClose = false;

    Log queueTargets;
    auto noteTarget = [&] {
        queueTargets.push_back(mainThreadWindow() == firstWindow    ? "first"
                               : mainThreadWindow() == secondWindow ? "second"
                                                                    : "none");
        queueTargets.back() += slate::fileChangeWindow() == mainThreadWindow() ? "" : " (file changes elsewhere)";
    };
    EXPECT_TRUE(runSteps({
        [&] { first->m_window->close(); },
        [&] {
            EXPECT_TRUE(window_test::isWindow(firstWindow));
            first->m_allowClose = true;
            first->m_window->close();
        },
        [&] {
            EXPECT_FALSE(window_test::isWindow(firstWindow));
            EXPECT_TRUE(firstDeleted);
            window_test::postKey(secondWindow, 'A', false);
        },
        [&] {
            noteTarget();
            second->m_window->close();
        },
        [&] { ADD_FAILURE() << "the loop went on after the last window closed"; },
    }));
    EXPECT_EQ(m_log, (Log{"can close: no", "can close: yes", "key 97 up", "can close: yes"}));
    EXPECT_EQ(queueTargets, Log{"second"});
    EXPECT_TRUE(appWindows().empty());
    EXPECT_EQ(mainThreadWindow(), nullptr);
}

TEST_F(AppWindowTest, RunWithoutWindowsReturnsAtOnce)
{
    m_manager->run();
    EXPECT_TRUE(appWindows().empty());
}

// Renderer fallback: the chosen renderer first, then the other; with neither
// the window is reported and closed, and the handler stays the caller's.
TEST_F(AppWindowTest, ARendererThatFailsFallsBackToTheOther)
{
    struct Case {
        const char* name;
        int flags;
        bool direct3dBuilt;
        bool direct3dCreates;
        bool openGLCreates;
        const char* renderer; // empty: no window
    };
    const Case cases[] = {
        {"Direct3D chosen and working", 0, true, true, true, "DirectX"},
        {"Direct3D fails", 0, true, false, true, "OpenGL"},
        {"Direct3D not built", 0, false, false, true, "OpenGL"},
        {"OpenGL chosen and failing", Win32WindowManager::kUseOpenGL, true, true, false, "DirectX"},
        {"neither", 0, true, false, false, ""},
    };
    NotificationManager::set(new NotificationManager(u"Test"));
    Event reported(true, false);
    std::string reportedText;
    NotificationManager::get().setErrorBoxFunction([&](platform::WindowHandle, const ustring&, const ustring& text) {
        reportedText = toUtf8(text);
        reported.set();
    });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        install(c.flags);
        std::vector<platform::WindowHandle> tried; // the window of each peer asked to create
        m_manager->setPeerFactory([&](RendererKind kind, bool) -> WindowPeer* {
            if (kind == RendererKind::Direct3D9 && !c.direct3dBuilt)
                return nullptr;
            auto* peer =
                new TestPeer(kind, kind == RendererKind::OpenGL ? c.openGLCreates : c.direct3dCreates, true);
            peer->m_created = &tried;
            return peer;
        });
        auto handler = std::make_unique<RecordingHandler>(m_log);
        const bool created = m_manager->createWindow(u"Test", handler.get(), nullptr, ustring());
        EXPECT_EQ(created, *c.renderer != 0);
        if (created) {
            Window* window = handler.release()->m_window;
            EXPECT_EQ(toUtf8(window->rendererName()), c.renderer);
            window_test::destroyWindow(window->nativeHandle());
            continue;
        }
        EXPECT_EQ(handler->m_window, nullptr);
        EXPECT_TRUE(appWindows().empty());
        EXPECT_EQ(currentAppWindow(), nullptr);
        ASSERT_EQ(tried.size(), 2u);
        EXPECT_EQ(tried[0], tried[1]);
        EXPECT_FALSE(window_test::isWindow(tried[0]));
        EXPECT_TRUE(reported.wait(5000));
        EXPECT_NE(reportedText.find("Unable to open a window"), std::string::npos);
    }
    NotificationManager::destroy();
}

// The first window failing its renderers leaves nothing aimed at its dead
// native window: queued calls and change notices go back to the loop's own
// window, and its menu bar's dynamic popups are forgotten.
TEST_F(AppWindowTest, AFirstWindowWithoutARendererLeavesNoTargetOrPopupBehind)
{
    m_manager->setPeerFactory(
        [](RendererKind kind, bool) -> WindowPeer* { return new TestPeer(kind, false, true); });
    slate::SP<MenuDescriptor> recent(new MenuDescriptor(u"Recent"));
    recent->m_dynamicKey = u"recent";
    slate::SP<MenuDescriptor> file(new MenuDescriptor(u"File"));
    file->addSubmenu(recent);
    slate::SP<MenuDescriptor> bar(new MenuDescriptor);
    bar->addSubmenu(file);

    ASSERT_TRUE(appWindows().empty());
    EXPECT_EQ(open(ustring(), bar), nullptr);
    EXPECT_EQ(mainThreadWindow(), mainLoopWindow());
    EXPECT_EQ(slate::fileChangeWindow(), mainLoopWindow());
    EXPECT_TRUE(m_manager->menuState().m_dynamicPopups.empty());
}

// A call queued while a window was being set up is not lost with the window
// when no renderer can be set up: its wake-up had gone to that window.
TEST_F(AppWindowTest, ACallQueuedDuringAFailedWindowStillRuns)
{
    struct PostingPeer : TestPeer {
        explicit PostingPeer(RendererKind kind) : TestPeer(kind, false, true) {}
        bool create(platform::WindowHandle) override
        {
            postToMainThread([] { quitMainLoop(0); });
            return false;
        }
    };
    ASSERT_NE(createMainLoopWindow(), nullptr);
    window_test::discardMessages(); // the wake-up the new target got
    m_manager->setPeerFactory([](RendererKind kind, bool) -> WindowPeer* { return new PostingPeer(kind); });
    EXPECT_EQ(open(), nullptr);
    EXPECT_TRUE(runLoop(false));
    destroyMainLoopWindow();
}

// A window whose renderer stops working still asks before it closes, is
// destroyed, ends the loop and runs queued calls.
TEST_F(AppWindowTest, AWindowWithoutAWorkingRendererStillClosesAndRunsQueuedCalls)
{
    m_manager->setPeerFactory(
        [](RendererKind kind, bool) -> WindowPeer* { return new TestPeer(kind, true, false); });
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    handler->m_allowClose = false;
    bool ran = false;
    EXPECT_TRUE(runSteps({
        [&] {
            postToMainThread([&] { ran = true; });
            handler->m_window->close();
        },
        [&] {
            EXPECT_TRUE(ran);
            window_test::paintNow(handleOf(handler));
            EXPECT_FALSE(window_test::needsPaint(handleOf(handler)));
            EXPECT_EQ(handler->m_frames, 0);
            handler->m_allowClose = true;
            handler->m_window->close();
        },
        [&] { ADD_FAILURE() << "the loop went on after the window closed"; },
    }));
    EXPECT_EQ(m_log, (Log{"can close: no", "can close: yes"}));
    EXPECT_TRUE(appWindows().empty());
}

} // namespace
} // namespace app_window_test
