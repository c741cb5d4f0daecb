// The stopwatch behind the statistics. Laps are counted in performance-counter
// ticks with the measured cost of one counter read taken off, so that timing a
// very short operation does not report mostly the cost of timing it. The read
// cost and the counter frequency are process-wide and taken once, the cost
// first (it is counted in ticks and needs no frequency), by static
// initialisation or by the first timer built before it. Both read the
// counter through the default platform, which is usable before `main` in
// the Win32 build too; a test that later installs a platform of its own
// does not change them.
#include "ui/performance_timer.h"

#include "ui/platform.h"

namespace {

struct TimerConstants {
    int64_t overhead;
    int64_t frequency;
};

const TimerConstants& timerConstants()
{
    static const TimerConstants s_constants = [] {
        TimerConstants constants;
        constants.overhead = calibrateTimerOverhead();
        constants.frequency = platform::get().performanceFrequency();
        if (constants.frequency <= 0)
            constants.frequency = 1;
        return constants;
    }();
    return s_constants;
}

// Taken by static initialisation, before the entry point; a static
// initialiser elsewhere that times something first takes them earlier.
const bool s_timerConstantsTaken = (timerConstants(), true);

} // namespace

int64_t calibrateTimerOverhead()
{
    platform::Platform& system = platform::get();
    int64_t minimum = 200;
    for (int i = 0; i < 20; ++i) {
        int64_t first = system.performanceCounter();
        int64_t second = system.performanceCounter();
        int64_t difference = second - first;
        if (difference >= 0 && difference < minimum)
            minimum = difference;
    }
    return minimum;
}

int64_t performanceTimerFrequency()
{
    return timerConstants().frequency;
}

int64_t performanceTimerOverhead()
{
    return timerConstants().overhead;
}

PerformanceTimer::PerformanceTimer()
{
    timerConstants();
    m_start = platform::get().performanceCounter();
}

double PerformanceTimer::lap()
{
    const TimerConstants& constants = timerConstants();
    int64_t now = platform::get().performanceCounter();
    int64_t elapsed = now - m_start - constants.overhead;
    m_start = now;
    return static_cast<double>(elapsed) / static_cast<double>(constants.frequency);
}
