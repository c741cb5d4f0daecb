// How a matcher chooses its way of searching. Which way costs least depends
// on the grammar and on the text, and all give the same answers, so each
// matcher now and then times a few dozen calls of each way and then uses the
// cheapest for some thousands of calls, until the next trial.
#pragma once

#include <chrono>
#include <cstdint>

// The ways a matcher can search a line: one pattern at a time, each
// remembering its result; all patterns as one engine set; or a set of just
// the patterns whose needed characters the line holds (sets made as lines
// ask for them, the last few kept).
enum class SearchWay : uint8_t { OneByOne, WholeSet, LineSet };
constexpr int kSearchWays = 3;

// The schedule. A trial phase must be long enough to take in a few lines of
// tokens, so that one long line does not decide alone, and the run between
// trials long enough that timing (two clock reads a call) costs little, yet
// short enough that a matcher follows the text when it changes from, say,
// comments to code.
//
// Calls timed for each way in a trial.
constexpr uint32_t kTrialCalls = 64;
// Calls made the chosen way before the next trial.
constexpr uint32_t kCallsBetweenTrials = 8192;

// A matcher's measure of its ways of searching: a trial times each way in
// turn for a number of calls, then the cheapest is chosen for a longer run
// of calls, after which the next trial begins.
struct SearchTrial {
    int64_t nanoseconds[kSearchWays] = {0, 0, 0};
    uint32_t calls = 0; // of the current trial phase or choice
    uint8_t phase = 0;  // below kSearchWays: trying that way; then: chosen
    SearchWay chosen = SearchWay::WholeSet;

    bool timing() const { return phase < kSearchWays; }
    // The way to search now.
    SearchWay way() const { return timing() ? static_cast<SearchWay>(phase) : chosen; }
    // Counts one call made the current way, which took `callNanoseconds`
    // when timed, and moves on to the next phase when this one is done.
    void count(int64_t callNanoseconds)
    {
        if (timing())
            nanoseconds[phase] += callNanoseconds;
        if (++calls >= (timing() ? kTrialCalls : kCallsBetweenTrials))
            nextPhase();
    }

private:
    void nextPhase();
};

// Times one search into a matcher's trial, when it is in a trial phase,
// and counts it on leaving.
class TrialStep {
public:
    explicit TrialStep(SearchTrial& trial) : m_trial(trial), m_timed(trial.timing())
    {
        if (m_timed)
            m_begin = std::chrono::steady_clock::now();
    }
    ~TrialStep()
    {
        int64_t nanoseconds = 0;
        if (m_timed)
            nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now() - m_begin)
                              .count();
        m_trial.count(nanoseconds);
    }
    TrialStep(const TrialStep&) = delete;
    TrialStep& operator=(const TrialStep&) = delete;

private:
    SearchTrial& m_trial;
    const bool m_timed;
    std::chrono::steady_clock::time_point m_begin;
};
