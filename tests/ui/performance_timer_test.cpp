#include "ui/performance_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/recording_platform.h"

namespace {

// Answers counter reads from a script, repeating its last value.
class ScriptedCounter : public RecordingPlatform {
public:
    explicit ScriptedCounter(std::vector<int64_t> readings) : m_readings(std::move(readings)) {}
    int64_t performanceCounter() override
    {
        int64_t value = m_readings[m_next];
        if (m_next + 1 < m_readings.size())
            ++m_next;
        return value;
    }

private:
    std::vector<int64_t> m_readings;
    size_t m_next = 0;
};

// Counter readings in pairs, as the calibration reads them.
std::vector<int64_t> pairsWithDifferences(std::vector<int64_t> differences)
{
    std::vector<int64_t> readings;
    int64_t base = 1000000;
    for (int64_t difference : differences) {
        readings.push_back(base);
        readings.push_back(base + difference);
        base += 100000;
    }
    return readings;
}

TEST(PerformanceTimer, CalibrationKeepsTheSmallestNonNegativeDifferenceUpTo200)
{
    struct Case {
        const char* name;
        std::vector<int64_t> differences; // of the 20 read pairs
        int64_t overhead;
    };
    const std::vector<Case> cases = {
        {"smallest of all pairs", {30, 12, 40, 12, 25, 90, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}, 12},
        {"backward steps ignored", {-5, -400, 9, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50}, 9},
        {"slow counter capped at 200", std::vector<int64_t>(20, 5000), 200},
        {"equal readings give 0", std::vector<int64_t>(20, 0), 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptedCounter counter(pairsWithDifferences(row.differences));
        EXPECT_EQ(calibrateTimerOverhead(), row.overhead);
    }
}

TEST(PerformanceTimer, LapSubtractsTheOverheadAndRestartsAtItsReading)
{
    const int64_t frequency = performanceTimerFrequency(); // taken before the script
    const int64_t overhead = performanceTimerOverhead();
    const int64_t start = 5000;
    const int64_t halfSecondLater = start + frequency / 2 + overhead;
    ScriptedCounter counter({start, halfSecondLater, halfSecondLater + overhead - 1});
    PerformanceTimer timer;
    EXPECT_DOUBLE_EQ(timer.lap(), static_cast<double>(frequency / 2) / static_cast<double>(frequency));
    // Shorter than the overhead: a small negative lap.
    EXPECT_DOUBLE_EQ(timer.lap(), -1.0 / static_cast<double>(frequency));
}

TEST(PerformanceTimer, FrequencyIsPositive)
{
    EXPECT_GT(performanceTimerFrequency(), 0);
    EXPECT_GE(performanceTimerOverhead(), 0);
    EXPECT_LE(performanceTimerOverhead(), 200);
}

} // namespace
