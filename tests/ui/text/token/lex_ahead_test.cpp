// Lexing ahead off the main thread: slices taken back only while still
// right, edits racing with them, drawing that leaves far text stale, and the
// worker thread delivering through the main-thread queue.
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "ui/main_thread_queue.h"
#include "ui/text/token/lex_ahead.h"
#include "ui/text/token/token_test_support.h"

namespace {

using token_test::commentSyntax;
using token_test::freshScopes;
using token_test::storedScopes;

using Outcome = TokenStorage::SliceOutcome;

// Every slice of `run`, lexed here.
std::vector<std::shared_ptr<LexAheadSlice>> lexHere(const std::shared_ptr<LexAheadRun>& run, int64_t sliceUnits)
{
    std::vector<std::shared_ptr<LexAheadSlice>> slices;
    lexAheadSlices(run, sliceUnits, [&](std::shared_ptr<LexAheadSlice> slice) { slices.push_back(std::move(slice)); });
    return slices;
}

ustring commentText(int lines)
{
    ustring text = u"/* open\n";
    for (int i = 0; i < lines; ++i)
        text += u"if a; \"b\" while\n";
    return text + u"*/ if b";
}

void expectFreshScopes(const TokenStorage& storage)
{
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(token_test::firstUnlexed(storage), -1);
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

class LexAheadSlices : public testing::Test {
protected:
    LexAheadSlices()
    {
        storage.setSyntax(commentSyntax());
        const ustring text = commentText(200);
        storage.appendWithoutLexing(text.data(), text.data() + text.size());
    }

    TokenStorage storage;
};

TEST_F(LexAheadSlices, SlicesAppliedInOrderLexTheLoadedTextAsAFreshLex)
{
    while (std::shared_ptr<LexAheadRun> run = storage.takeLexAheadRun(700)) {
        for (const auto& slice : lexHere(run, 100))
            ASSERT_EQ(storage.applyLexAheadSlice(*slice), Outcome::Applied);
    }
    expectFreshScopes(storage);
}

// What becomes of a slice when the text changed between its taking and its
// return.
TEST_F(LexAheadSlices, ASliceIsTakenOnlyWhileItsLinesAndStartStateAreStillRight)
{
    struct Case {
        const char* name;
        std::function<void(TokenStorage&)> meanwhile;
        Outcome outcome;
    };
    const Case cases[] = {
        {"nothing happened", [](TokenStorage&) {}, Outcome::Applied},
        {"an edit inside its lines", [](TokenStorage& s) { s.insert(300, u"x"); }, Outcome::Outdated},
        {"an edit before it moving its lines", [](TokenStorage& s) { s.insert(0, u"//"); }, Outcome::Outdated},
        {"text after it", [](TokenStorage& s) { s.insert(s.size(), u" /* c"); }, Outcome::Applied},
        {"the main thread lexed it already", [](TokenStorage& s) { s.validateUntil(s.size()); },
         Outcome::NotNeeded},
        {"another syntax", [](TokenStorage& s) { s.setSyntax(commentSyntax()); }, Outcome::Outdated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage local;
        local.setSyntax(storage.syntax());
        const ustring text = storage.str();
        local.appendWithoutLexing(text.data(), text.data() + text.size());
        local.validateUntil(100); // the slice then starts past the first lines
        const auto slices = lexHere(local.takeLexAheadRun(1000), 1000);
        ASSERT_EQ(slices.size(), 1u);
        ASSERT_GT(slices[0]->position, 0);
        c.meanwhile(local);
        EXPECT_EQ(local.applyLexAheadSlice(*slices[0]), c.outcome);
        local.validateUntil(local.size());
        expectFreshScopes(local);
    }
}

// An edit above a slice that changes the state its lines start in (the
// comment closed on the first line), lexed by the main thread past the
// slice's start, leaves the slice's text alone and nothing stale before it:
// only the state tells the slice is wrong.
TEST_F(LexAheadSlices, ASliceLexedFromAStateAnEditChangedIsRefused)
{
    storage.validateUntil(200);
    const auto slices = lexHere(storage.takeLexAheadRun(1000), 1000);
    ASSERT_EQ(slices.size(), 1u);
    storage.insert(7, u"*/");
    storage.validateUntil(slices[0]->position + 2 + 1);
    ASSERT_GT(storage.invalidPoints().front(), slices[0]->position + 2);
    auto moved = std::make_shared<LexAheadSlice>(*slices[0]);
    moved->position += 2;
    EXPECT_EQ(storage.applyLexAheadSlice(*moved), Outcome::Outdated);
    storage.validateUntil(storage.size());
    expectFreshScopes(storage);
}

// The next slice of a run follows the last one taken back, whose end state
// vouches for its start, only while the text before it is unchanged: here
// the comment is closed on the line before it by edits that move nothing.
TEST_F(LexAheadSlices, TheNextSliceOfARunIsRefusedAfterAnEditBeforeIt)
{
    const auto slices = lexHere(storage.takeLexAheadRun(1000), 100);
    ASSERT_GE(slices.size(), 2u);
    ASSERT_EQ(storage.applyLexAheadSlice(*slices[0]), Outcome::Applied);
    const int64_t next = slices[1]->position;
    ASSERT_EQ(storage.substr(SelectionRegion(next - 6, next - 4)), u"wh");
    storage.erase(SelectionRegion(next - 6, next - 4));
    storage.insert(next - 6, u"*/");
    EXPECT_EQ(storage.applyLexAheadSlice(*slices[1]), Outcome::Outdated);
    storage.validateUntil(storage.size());
    expectFreshScopes(storage);
}

// A long line read in part (only its first screen lexed) is taken whole by
// a run no shorter than it, and left to its readers by a shorter one.
TEST(LexAheadLongLines, ALineLexedInPartIsTakenWholeOrLeftToItsReaders)
{
    ustring text = u"/* a\n\"b ";
    for (int i = 0; i < 8000; ++i)
        text += u"if a; ";
    text += u"\" */\nwhile\n";
    TokenStorage storage;
    storage.setSyntax(commentSyntax());
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.validateUntil(100);
    ASSERT_FALSE(storage.invalidPoints().empty());
    EXPECT_EQ(storage.takeLexAheadRun(1000), nullptr);
    while (std::shared_ptr<LexAheadRun> run = storage.takeLexAheadRun(LexAhead::kRunUnits)) {
        for (const auto& slice : lexHere(run, LexAhead::kSliceUnits))
            ASSERT_EQ(storage.applyLexAheadSlice(*slice), Outcome::Applied);
    }
    expectFreshScopes(storage);
}

TEST_F(LexAheadSlices, DrawingLexesOnlyWhatLiesWithinItsBudget)
{
    storage.validateUntil(100);
    const int64_t stale = storage.invalidPoints().front();
    EXPECT_FALSE(storage.validateNearby(stale + 5000, 4000));
    EXPECT_EQ(storage.invalidPoints().front(), stale);
    EXPECT_TRUE(storage.validateNearby(stale + 3000, 4000));
    EXPECT_GT(storage.invalidPoints().front(), stale + 3000);
}

// Random edits of loaded C text land between the taking of runs and the
// return of their slices, and the main thread validates now and then, as
// drawing and queries do; once every run has been taken back the scopes must
// be a fresh lex's, without any validation at the end.
TEST(LexAheadRandomised, EditsRacingWithSlicesEndInAFreshLex)
{
    token_test::DataGrammar c("c.tmLanguage");
    std::mt19937 random(20261212);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        ustring model = token_test::randomCText(random, 80);
        TokenStorage storage;
        storage.setSyntax(c.syntax);
        storage.appendWithoutLexing(model.data(), model.data() + model.size());
        for (int step = 0; step < 40; ++step) {
            std::shared_ptr<LexAheadRun> run = storage.takeLexAheadRun(1 + random() % 200);
            if (!run)
                break;
            for (const auto& slice : lexHere(run, 1 + random() % 60)) {
                if (random() % 3 == 0)
                    ASSERT_NO_FATAL_FAILURE(token_test::randomEdit(storage, model, random));
                if (random() % 7 == 0)
                    storage.validateUntil(static_cast<int64_t>(random() % (model.size() + 1)));
                if (storage.applyLexAheadSlice(*slice) == Outcome::Outdated)
                    break;
            }
        }
        while (std::shared_ptr<LexAheadRun> run = storage.takeLexAheadRun(256)) {
            for (const auto& slice : lexHere(run, 64))
                ASSERT_NE(storage.applyLexAheadSlice(*slice), Outcome::Outdated);
        }
        ASSERT_EQ(storage.str(), model);
        expectFreshScopes(storage);
    }
}

// Runs the main-thread queue until `done` or 20 seconds have passed.
template <typename Done>
bool pumpUntil(Done&& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        runMainThreadQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

TEST(LexAheadThread, LexesALoadedTextToTheEndAndReportsEachRange)
{
    token_test::DataGrammar c("c.tmLanguage");
    ustring text;
    for (int i = 0; i < 3000; ++i)
        text += token_test::kCFragments[i * 7 % std::size(token_test::kCFragments)];
    TokenStorage storage;
    storage.setSyntax(c.syntax);
    storage.appendWithoutLexing(text.data(), text.data() + text.size());

    LexAhead lexAhead;
    int64_t reportedUntil = 0;
    lexAhead.setListener([&](int64_t from, int64_t to) {
        EXPECT_LE(from, reportedUntil);
        reportedUntil = std::max(reportedUntil, to);
    });
    lexAhead.attach(&storage);
    lexAhead.wake();
    ASSERT_TRUE(pumpUntil([&] { return !lexAhead.busy(); }));
    EXPECT_EQ(reportedUntil, storage.size());
    expectFreshScopes(storage);
}

// The worker may still be lexing, and its slices still queued, when the
// storage and its lexing ahead go (a closed buffer): nothing may reach them.
TEST(LexAheadThread, SlicesOfADestroyedLexAheadAreDropped)
{
    auto storage = std::make_unique<TokenStorage>();
    storage->setSyntax(commentSyntax());
    const ustring text = commentText(20000);
    storage->appendWithoutLexing(text.data(), text.data() + text.size());
    auto lexAhead = std::make_unique<LexAhead>();
    lexAhead->attach(storage.get());
    lexAhead->wake();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    lexAhead.reset();
    storage.reset();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until) {
        runMainThreadQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace
