// A high-resolution stopwatch over the system's performance counter, used by
// the statistics records to time the operations whose cost matters.
#pragma once

#include <cstdint>

// Measures intervals in seconds. Any thread; one timer is used by one thread
// at a time.
class PerformanceTimer {
public:
    // Starts the timer at the current counter value.
    PerformanceTimer();

    // Seconds since the start or the previous lap, less the cost of reading
    // the counter; restarts the timer. A lap shorter than that cost gives a
    // small negative number.
    double lap();

private:
    // Counter value at the start or at the last lap.
    int64_t m_start;
};

// Measures the cost of one counter read, in counter ticks: the smallest
// non-negative difference of 20 back-to-back read pairs, at most 200. The
// timer measures it once, before its first use, and subtracts it from every
// lap.
int64_t calibrateTimerOverhead();

// The counter's ticks per second (1 when the system has no high-resolution
// counter) and the measured read cost; both are taken once, the overhead
// first.
int64_t performanceTimerFrequency();
int64_t performanceTimerOverhead();
