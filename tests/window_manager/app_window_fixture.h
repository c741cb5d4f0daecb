// What the Wine tests of application windows share: a window handler that
// writes what reaches it into a log, a peer that can be told to fail, and a
// fixture that installs a window manager and runs its message loop through a
// script of steps.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/thread.h"
#include "ui/timer_queue.h"
#include "ui/unicode.h"
#include "window_manager/main_loop.h"
#include "ui/menu_descriptor.h"
#include "window_manager/window.h"
#include "window_manager/window_manager.h"
#include "window_manager/window_peer.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/win32_window_manager.h"
#include "window_manager/window_manager_lifetime.h"
#include "window_manager/window_test_input.h"

namespace app_window_test {

using Log = std::vector<std::string>;

inline std::string number(float value)
{
    const long rounded = long(value);
    return float(rounded) == value ? std::to_string(rounded) : std::to_string(value);
}

// The modifier codes held in a state, as " [303 306]"; empty when none.
inline std::string modifiers(const InputState& state)
{
    std::string held;
    for (int code = kKeyRightShift; code <= kKeyLeftAlt; ++code) {
        if (state.key[code])
            held += (held.empty() ? "" : " ") + std::to_string(code);
    }
    return held.empty() ? "" : " [" + held + "]";
}

inline std::string describe(const KeyEvent& event)
{
    if (isMouseCode(event.code))
        return "button " + std::to_string(event.code) + (event.pressed ? " down " : " up ") + number(event.state.x) +
               "," + number(event.state.y);
    return "key " + std::to_string(event.code) + (event.pressed ? " down" : " up") + modifiers(event.state);
}

inline std::string describe(const MotionEvent& event)
{
    if (event.wheelX == 0 && event.wheelY == 0)
        return "move";
    return "wheel " + number(event.wheelX) + "," + number(event.wheelY) + (event.page ? " page" : "");
}

// Logs every event; keys are consumed when `consumeKeys` says so.
struct RecordingHandler : WindowHandler {
    explicit RecordingHandler(Log& log) : m_log(log) {}
    ~RecordingHandler() override
    {
        if (m_deleted)
            *m_deleted = true;
    }

    void setCanvas(Canvas*) override {}
    bool onKeyOrButton(const KeyEvent& event) override
    {
        m_log.push_back(describe(event));
        return !isMouseCode(event.code) && m_consumeKeys;
    }
    bool onMotion(const MotionEvent& event) override
    {
        if (event.wheelX != 0 || event.wheelY != 0)
            m_log.push_back(describe(event));
        else if (m_logMoves)
            m_log.push_back("move by " + number(event.dx) + "," + number(event.dy) + " to " + number(event.state.x) +
                            "," + number(event.state.y));
        return false;
    }
    bool onDropFile(float x, float y, const uchar* path) override
    {
        m_log.push_back("drop " + toUtf8(slate::usubstring(path)) + " at " + number(x) + "," + number(y));
        return true;
    }
    bool onCharacter(const CharacterEvent& event) override
    {
        m_log.push_back(std::string("char ") + char(event.character));
        return true;
    }
    bool onContextMenuKey() override { return false; }
    void onCommandLine(const std::vector<ustring>& arguments) override
    {
        std::string line = "command line";
        for (const ustring& argument : arguments)
            line += " [" + toUtf8(argument) + "]";
        m_log.push_back(line);
    }
    CursorKind cursorAt(const InputState&) override { return m_cursor; }
    ustring keyText(const slate::usubstring&) override { return ustring(); }
    bool draw(bool) override
    {
        ++m_frames;
        return m_frames >= m_framesUntilDone;
    }
    bool canClose() override
    {
        m_log.push_back(m_allowClose ? "can close: yes" : "can close: no");
        return m_allowClose;
    }
    void onActivate() override { ++m_activations; }
    CommandRunner* commandRunner() override { return m_runner; }

    Log& m_log;
    bool m_consumeKeys = false;
    bool m_allowClose = true;
    bool m_logMoves = false;
    CursorKind m_cursor = CursorKind::Arrow;
    CommandRunner* m_runner = nullptr;
    int m_frames = 0;
    int m_activations = 0;
    // Frames report work left until this many were drawn.
    int m_framesUntilDone = 0;
    bool* m_deleted = nullptr;
};

// A peer without a graphics interface: it creates or fails as told.
struct TestPeer : WindowPeer {
    TestPeer(RendererKind kind, bool creates, bool valid) : m_kind(kind), m_creates(creates), m_valid(valid) {}
    bool create(platform::WindowHandle window) override
    {
        if (m_created)
            m_created->push_back(window);
        return m_creates;
    }
    bool isValid() override { return m_valid; }
    void resize(platform::WindowHandle) override {}
    void move(platform::WindowHandle) override {}
    void settingsChanged() override {}
    DrawResult beginDraw(int, int) override { return DrawResult::Frame; }
    void endDraw() override {}
    void makeCurrent() override {}
    Canvas* canvas() override { return nullptr; }
    ustring name() override { return m_kind == RendererKind::OpenGL ? u"OpenGL" : u"DirectX"; }

    RendererKind m_kind;
    bool m_creates;
    bool m_valid;
    // Where create notes its window; may be null.
    std::vector<platform::WindowHandle>* m_created = nullptr;
};

// Installs a window manager (OpenGL unless a test changes it), and runs its
// loop through steps. A watchdog ends a loop that is still running after ten
// seconds, so a fault cannot hang the run.
class AppWindowTest : public testing::Test {
protected:
    static constexpr int kWatchdogMs = 10000;

    void SetUp() override
    {
        m_debugOutput = g_debugOutputEnabled.exchange(false);
        m_manager = window_test::startWindowManager(Win32WindowManager::kUseOpenGL);
    }
    void TearDown() override
    {
        window_test::stopWindowManager();
        g_debugOutputEnabled = m_debugOutput;
    }

    void install(int flags)
    {
        if (WindowManager::alive())
            WindowManager::destroy();
        m_manager = new Win32WindowManager(flags);
        WindowManager::create(m_manager);
    }

    // A new window for a recording handler; null when it could not be made.
    RecordingHandler* open(const ustring& placement = ustring(), const slate::SP<MenuDescriptor>& menu = nullptr)
    {
        auto handler = std::make_unique<RecordingHandler>(m_log);
        if (!m_manager->createWindow(u"Test", handler.get(), menu, placement))
            return nullptr;
        return handler.release();
    }

    static platform::WindowHandle handleOf(WindowHandler* handler) { return handler->m_window->nativeHandle(); }

    // Runs the loop: each step runs on the main thread once everything the
    // previous one caused (the characters translated from its keys, say)
    // has been handled. After the last step every window left is destroyed,
    // which ends the loop. False when the watchdog had to end it.
    bool runSteps(std::vector<std::function<void()>> steps)
    {
        steps.push_back([] {
            const std::vector<AppWindow*> left = appWindows();
            for (AppWindow* window : left)
                window_test::destroyWindow(window->nativeHandle());
        });
        auto remaining = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
        auto next = std::make_shared<std::function<void(int)>>();
        // Two idle waits between steps: a timer fires only when no posted
        // message is waiting, so what a step posted (and what handling that
        // posted in turn, such as translated characters) comes first.
        *next = [remaining, next](int waits) {
            if (waits > 0) {
                setTimeout([next, waits] { (*next)(waits - 1); }, 5);
                return;
            }
            if (remaining->empty())
                return;
            std::function<void()> step = std::move(remaining->front());
            remaining->erase(remaining->begin());
            step();
            (*next)(2);
        };
        postToMainThread([next] { (*next)(0); });
        const bool ended = runLoop();
        *next = nullptr; // breaks the cycle
        return ended;
    }

    // Runs the manager's loop until the last window is gone (or, with
    // `managerLoop` false, the program's loop until quitMainLoop); false when
    // the watchdog had to end it.
    bool runLoop(bool managerLoop = true)
    {
        Event done(true, false);
        bool watchdogFired = false;
        Thread watchdog;
        watchdog.start([&] {
            if (!done.wait(kWatchdogMs)) {
                watchdogFired = true;
                quitMainLoop(99);
            }
        });
        if (managerLoop)
            m_manager->run();
        else
            runMainLoop();
        done.set();
        watchdog.join(platform::kInfiniteTimeout);
        return !watchdogFired;
    }

    // One step per case, each starting with an empty log; the logs the cases
    // left, in order.
    std::vector<Log> runCases(size_t count, const std::function<void(size_t)>& post)
    {
        std::vector<Log> logs;
        std::vector<std::function<void()>> steps;
        for (size_t i = 0; i <= count; ++i) {
            steps.push_back([this, &logs, &post, i, count] {
                if (i > 0)
                    logs.push_back(m_log);
                m_log.clear();
                if (i < count)
                    post(i);
            });
        }
        EXPECT_TRUE(runSteps(std::move(steps)));
        return logs;
    }

    Win32WindowManager* m_manager = nullptr;
    Log m_log;
    bool m_debugOutput = true;
};

} // namespace app_window_test
