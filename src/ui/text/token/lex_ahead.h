// Lexing ahead of the reader, off the main thread. After a load or an edit
// leaves text stale (TokenStorage::invalidPoints), the main thread copies a
// run of whole lines from the first stale one, a worker thread lexes it in
// slices under the syntax's lexer lock, and each slice's tokens go back to
// the main thread, which puts them into the storage when its lines are still
// what was lexed. Drawing meanwhile shows what is not lexed yet plain, or in
// its last known scopes (TokenStorage::validateNearby), and the frame after
// a slice arrives shows its colours.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/text/lexer/lexer.h"
#include "ui/thread.h"
#include "ui/ustring.h"

class Syntax;
class TokenStorage;

// Whole lines of a text, copied for lexing on another thread. Made on the
// main thread (TokenStorage::takeLexAheadRun) and read only afterwards, but
// for `abandoned`.
struct LexAheadRun {
    slate::SP<Syntax> syntax; // keeps `state` and the lexer's scopes alive
    int64_t position = 0; // where the first line starts in the text
    LexerState* state = nullptr; // the state the first line starts in
    ustring text; // whole lines; the last one may be the text's unfinished end
    // Set by the main thread when the run's slices are no longer wanted;
    // the worker then stops at the next slice.
    std::atomic<bool> abandoned{false};
};

// A lexed stretch of whole lines of a run: its tokens point into the run's
// text, which the slice keeps alive.
struct LexAheadSlice {
    std::shared_ptr<const LexAheadRun> run;
    int64_t position = 0; // where its first line starts in the text
    LexerState* state = nullptr; // the state its first line starts in
    const uchar* begin = nullptr; // its lines, inside run->text
    const uchar* end = nullptr;
    std::vector<LexedToken> tokens;
    LexerState* endState = nullptr; // the state after its last line
    bool lastOfRun = false;
};

// Lexes `run` slice by slice, each of whole lines and at least `sliceUnits`
// units unless the run ends first, holding the syntax's lexer lock for one
// slice at a time, and hands each to `deliver` in order. Stops early once
// the run is abandoned. Any thread.
void lexAheadSlices(const std::shared_ptr<const LexAheadRun>& run, int64_t sliceUnits,
                    const std::function<void(std::shared_ptr<LexAheadSlice>)>& deliver);

// Keeps a token storage lexed ahead in the background. Main thread only; the
// worker thread exists only while there is stale text, and the slices reach
// the storage through the main-thread call queue (main_thread_queue.h), so
// they arrive between the window's messages, never inside a command.
class LexAhead {
public:
    // Called on the main thread after a slice's tokens went into the
    // storage: [from, to) has its scopes now.
    using Listener = std::function<void(int64_t from, int64_t to)>;

    LexAhead();
    // Stops wanting results: a worker still lexing ends after its slice, and
    // slices already queued for the main thread are dropped.
    ~LexAhead();
    LexAhead(const LexAhead&) = delete;
    LexAhead& operator=(const LexAhead&) = delete;

    // Lexes ahead in `storage` (null: none) from now on, dropping what was
    // under way for the one before. The storage must outlive its attachment.
    void attach(TokenStorage* storage);
    // After anything that may have left text stale (an edit, a load): starts
    // lexing when none is under way and the storage has stale text.
    void wake();
    void setListener(Listener listener) { m_listener = std::move(listener); }
    // Whether a run is under way.
    bool busy() const { return m_run != nullptr; }

    // How much text a run copies, and how much of it a slice hands back at
    // once: what one step of the main thread puts into the storage (and the
    // longest it waits for the lexer lock, unless a single line is longer).
    // With 16384-unit slices and the lock held for a whole slice, 1 MB of
    // JavaScript had main-thread steps of up to 151 ms
    // (bench/lex_ahead_bench.cpp); see there for today's figures.
    static constexpr int64_t kRunUnits = 262144;
    static constexpr int64_t kSliceUnits = 8192;

private:
    struct Shared;

    void startRun();
    void onSliceLexed(const LexAheadSlice& slice);
    void dropRun();

    TokenStorage* m_storage = nullptr;
    Listener m_listener;
    // The run being lexed; null when idle.
    std::shared_ptr<LexAheadRun> m_run;
    // What the worker and the queued calls share with this object; outlives
    // it while either still holds it.
    std::shared_ptr<Shared> m_shared;
    // The worker, while one runs. Kept here rather than in the shared part,
    // whose last owner may be a queued call run long after this object (and
    // the platform that started the thread) is gone.
    Thread m_thread;
};
