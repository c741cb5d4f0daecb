// The program's entry point. For now it brings up the base runtime only: the
// hidden window that wakes the main thread for queued calls, the message loop
// that also runs the timer queue, and the orderly shutdown of both (timers
// stopped, then the call queue cleared) before the process exits with 0.
#include <windows.h>

#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/performance_timer.h"
#include "ui/statistics.h"
#include "ui/timer_queue.h"
#include "window_manager/main_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    {
        ScopedTimer startupTimer(g_statStartup);
        VLOG << u"Vantrel started; clock at " << tickCount64() << u" ms, performance counter at "
             << performanceTimerFrequency() << u" ticks per second";
        platform::WindowHandle window = createMainLoopWindow();
        if (!window) {
            VLOG << u"Unable to create the main loop window, exiting";
            return 1;
        }
        VLOG << u"Main loop window " << static_cast<const void*>(window)
             << u" receives queued calls (message " << WM_RUN_QUEUED_CALLS << u")";
        // Nothing else to do yet: end the loop as soon as it starts.
        postToMainThread([] { quitMainLoop(0); });
        VLOG << u"Queued the end of the main loop";
    }

    int loopResult = runMainLoop();
    VLOG << u"Main loop ended with " << loopResult;

    shutdownTimers();
    clearMainThreadQueue();
    destroyMainLoopWindow();
    return 0;
}
