// The background lexing of a token storage. The main thread owns everything
// the storage holds; the worker sees only a run, a private copy of whole
// lines with the state they start in, and hands back slices of lexed tokens.
// Nothing the worker produces is trusted blindly: the storage takes a slice
// only when its lines are still the text there and still start in the state
// it was lexed from (TokenStorage::applyLexAheadSlice), so edits made while
// the worker lexes need no coordination with it; at worst a slice is lexed in
// vain, and the run it belongs to is abandoned for a fresh one.
//
// The worker thread is started when a run is handed over and nothing runs,
// and ends when it finds no run waiting, so an idle buffer costs no thread.
#include "ui/text/token/lex_ahead.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/critical_section.h"
#include "ui/main_thread_queue.h"
#include "ui/text/syntax/syntax.h"
#include "ui/text/token/token_storage.h"

namespace {

// How much of a slice is lexed under one hold of the lexer lock.
constexpr int64_t kLockUnits = 2048;

// Scratch of the lexing runs of one worker thread.
struct WorkerScratch {
    MatchRegion region;
    LexerWorkspace workspace;
};

} // namespace

void lexAheadSlices(const std::shared_ptr<const LexAheadRun>& run, int64_t sliceUnits,
                    const std::function<void(std::shared_ptr<LexAheadSlice>)>& deliver)
{
    thread_local WorkerScratch s_scratch;
    const uchar* const textBegin = run->text.data();
    const uchar* const textEnd = textBegin + run->text.size();
    const uchar* line = textBegin;
    LexerState* state = run->state;
    while (line < textEnd && !run->abandoned.load(std::memory_order_relaxed)) {
        auto slice = std::make_shared<LexAheadSlice>();
        slice->run = run;
        slice->position = run->position + (line - textBegin);
        slice->state = state;
        slice->begin = line;
        while (line < textEnd && line - slice->begin < sliceUnits) {
            // The lock is let go every kLockUnits, so that the main thread,
            // when it must lex itself (a frame, an edit, a query), waits for
            // a few lines rather than a slice; the yield lets it take the
            // lock before this thread does again.
            {
                ScopedLock lock(run->syntax->lexerLock());
                const uchar* const lockEnd = line + std::min<int64_t>(kLockUnits, sliceUnits);
                while (line < textEnd && line < lockEnd) {
                    const uchar* lineEnd = std::find(line, textEnd, u'\n');
                    if (lineEnd != textEnd)
                        ++lineEnd;
                    const int64_t lineStart = run->position + (line - textBegin);
                    state = lex(s_scratch.region, s_scratch.workspace, state, line, lineEnd, slice->tokens,
                                lineStart == 0 ? LineKind::FirstLine : LineKind::LaterLine);
                    line = lineEnd;
                }
            }
            std::this_thread::yield();
        }
        slice->end = line;
        slice->endState = state;
        slice->lastOfRun = line == textEnd;
        deliver(std::move(slice));
    }
}

// The worker's side. `pending` and `running` are guarded by `mutex`;
// `owner` is touched on the main thread only (by the owner and by the calls
// the worker queues there).
struct LexAhead::Shared {
    std::mutex mutex;
    std::shared_ptr<const LexAheadRun> pending; // the run the worker takes next
    bool running = false; // a worker thread is alive and will look at `pending`
    // Slices posted to the main thread that have not run there yet. The
    // worker posts the next one only when this is 0, so that one drain of
    // the queue takes back one slice, not a whole run's worth: with the
    // worker free to run ahead, 1 MB of JavaScript had main-thread steps of
    // 151 ms, as many slices arrived at once.
    int queued = 0;
    std::condition_variable slicesTaken;
    // The main thread, which must never wait for itself: a platform may run
    // a started thread's body at once on the starting thread.
    const std::thread::id mainThread = std::this_thread::get_id();
    LexAhead* owner = nullptr; // null once the owner is gone
};

LexAhead::LexAhead() : m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

LexAhead::~LexAhead()
{
    m_shared->owner = nullptr;
    dropRun();
}

void LexAhead::attach(TokenStorage* storage)
{
    dropRun();
    m_storage = storage;
}

void LexAhead::wake()
{
    if (!m_run && m_storage && !m_storage->invalidPoints().empty())
        startRun();
}

void LexAhead::dropRun()
{
    if (m_run)
        m_run->abandoned.store(true, std::memory_order_relaxed);
    m_run.reset();
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->pending.reset();
}

void LexAhead::startRun()
{
    m_run = m_storage->takeLexAheadRun(kRunUnits);
    if (!m_run)
        return;
    const std::shared_ptr<Shared> shared = m_shared;
    bool startThread = false;
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->pending = m_run;
        if (!shared->running)
            shared->running = startThread = true;
    }
    if (!startThread)
        return;
    auto deliver = [shared](std::shared_ptr<LexAheadSlice> slice) {
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            // A run abandoned meanwhile (its owner gone, and with it maybe
            // the queue's runs) must not wait for ever.
            while (shared->queued > 0 && std::this_thread::get_id() != shared->mainThread
                   && !slice->run->abandoned.load(std::memory_order_relaxed))
                shared->slicesTaken.wait_for(lock, std::chrono::milliseconds(10));
            ++shared->queued;
        }
        postToMainThread([shared, slice] {
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                --shared->queued;
            }
            shared->slicesTaken.notify_one();
            if (shared->owner)
                shared->owner->onSliceLexed(*slice);
        });
    };
    auto work = [shared, deliver] {
        for (;;) {
            std::shared_ptr<const LexAheadRun> run;
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                run = std::move(shared->pending);
                shared->pending.reset();
                if (!run) {
                    shared->running = false;
                    return;
                }
            }
            lexAheadSlices(run, kSliceUnits, deliver);
        }
    };
    if (!m_thread.start(work)) {
        // Without a thread the text is lexed on demand, as reading it asks;
        // the next edit tries again.
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->running = false;
        }
        dropRun();
    }
}

void LexAhead::onSliceLexed(const LexAheadSlice& slice)
{
    if (!m_run || slice.run != m_run)
        return;
    const TokenStorage::SliceOutcome outcome = m_storage->applyLexAheadSlice(slice);
    if (outcome == TokenStorage::SliceOutcome::Applied && m_listener)
        m_listener(slice.position, slice.position + (slice.end - slice.begin));
    if (outcome == TokenStorage::SliceOutcome::Outdated || slice.lastOfRun) {
        dropRun();
        wake();
    }
}
