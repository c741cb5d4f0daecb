// The token storage under the costs that matter to typing: a keystroke in
// the middle of a million lines of C (a plain one, and one that opens a block
// comment and so invalidates everything after it), validating one screen
// after that, position lookups in order and at random, the memory the
// storage takes per MB of text, and loading single lines of growing length
// (a huge line is the classic quadratic trap).
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "support/scratch_folder.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

#include "bench_support.h"

using bench_support::cSyntax;

namespace {

// `lines` lines of C cycling through a few shapes, 28 units per line on
// average.
ustring cText(int64_t lines)
{
    ustring text;
    for (int64_t i = 0; i < lines; ++i)
        text += bench_support::kCLines[i % bench_support::kCLineCount];
    return text;
}

struct LoadedStorage {
    std::unique_ptr<TokenStorage> storage;
    int64_t middle = 0; // the start of a line near the middle
};

LoadedStorage load(int64_t lines)
{
    LoadedStorage loaded;
    loaded.storage = std::make_unique<TokenStorage>();
    loaded.storage->setSyntax(cSyntax());
    const ustring text = cText(lines);
    loaded.storage->insert(0, text);
    loaded.middle = loaded.storage->textPoint(static_cast<int32_t>(lines / 2 + 1), 4);
    return loaded;
}

LoadedStorage& millionLines()
{
    static LoadedStorage s_loaded = load(1000000);
    return s_loaded;
}

// A typed character and its deletion, in the middle of the text.
void BM_TypeCharacter(benchmark::State& state)
{
    static LoadedStorage s_small = load(10);
    LoadedStorage& loaded = state.range(0) == 10 ? s_small : millionLines();
    TokenStorage& storage = *loaded.storage;
    const int64_t at = state.range(0) == 10 ? storage.textPoint(6, 4) : loaded.middle;
    for (auto _ : state) {
        storage.insert(at, u"q");
        storage.erase(SelectionRegion(at, at + 1));
    }
    state.counters["lines"] = static_cast<double>(storage.lineBreakCount());
}
BENCHMARK(BM_TypeCharacter)->Arg(10)->Arg(1000000);

// Typing "/*" that turns the rest of the file into a comment, then removing
// it again: each edit re-lexes one line and leaves one invalid point.
void BM_OpenBlockComment(benchmark::State& state)
{
    LoadedStorage& loaded = millionLines();
    TokenStorage& storage = *loaded.storage;
    for (auto _ : state) {
        storage.insert(loaded.middle, u"/*");
        storage.erase(SelectionRegion(loaded.middle, loaded.middle + 2));
    }
    state.counters["invalidPoints"] = static_cast<double>(storage.invalidPoints().size());
    storage.validateUntil(storage.size());
}
BENCHMARK(BM_OpenBlockComment);

// After a comment was opened mid-file: validating one screen (60 lines) past
// it, as a paint would.
void BM_ValidateOneScreen(benchmark::State& state)
{
    LoadedStorage& loaded = millionLines();
    TokenStorage& storage = *loaded.storage;
    const int64_t screenEnd = loaded.middle + 60 * 28;
    for (auto _ : state) {
        state.PauseTiming();
        storage.insert(loaded.middle, u"/*");
        state.ResumeTiming();
        storage.validateUntil(screenEnd);
        state.PauseTiming();
        storage.erase(SelectionRegion(loaded.middle, loaded.middle + 2));
        storage.validateUntil(screenEnd);
        state.ResumeTiming();
    }
    storage.validateUntil(storage.size());
}
BENCHMARK(BM_ValidateOneScreen);

void BM_TokenAtSequential(benchmark::State& state)
{
    TokenStorage& storage = *millionLines().storage;
    int64_t position = 0;
    const int64_t size = storage.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage.tokenAt(position));
        if (++position > size)
            position = 0;
    }
}
BENCHMARK(BM_TokenAtSequential);

std::vector<int64_t> randomPositions(int64_t limit)
{
    std::mt19937_64 random(11);
    std::vector<int64_t> positions(4096);
    for (int64_t& position : positions)
        position = static_cast<int64_t>(random() % static_cast<uint64_t>(limit));
    return positions;
}

void BM_TokenAtRandom(benchmark::State& state)
{
    TokenStorage& storage = *millionLines().storage;
    const std::vector<int64_t> positions = randomPositions(storage.size());
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(storage.tokenAt(positions[i++ & 4095]));
}
BENCHMARK(BM_TokenAtRandom);

void BM_RowColSequential(benchmark::State& state)
{
    TokenStorage& storage = *millionLines().storage;
    int64_t position = 0;
    const int64_t size = storage.size();
    int32_t row = 0, column = 0;
    for (auto _ : state) {
        storage.rowcol(position, row, column);
        benchmark::DoNotOptimize(row);
        if (++position > size)
            position = 0;
    }
}
BENCHMARK(BM_RowColSequential);

void BM_RowColRandom(benchmark::State& state)
{
    TokenStorage& storage = *millionLines().storage;
    const std::vector<int64_t> positions = randomPositions(storage.size());
    size_t i = 0;
    int32_t row = 0, column = 0;
    for (auto _ : state) {
        storage.rowcol(positions[i++ & 4095], row, column);
        benchmark::DoNotOptimize(row);
    }
}
BENCHMARK(BM_RowColRandom);

// Loading 100,000 lines of C; reports the heap the storage keeps per MB of
// text (UTF-16 text of 2 bytes per unit: 2 MB of heap per MB of text is
// the text alone).
void BM_LoadMemoryPerMegabyte(benchmark::State& state)
{
    const ustring text = cText(100000);
    double perMegabyte = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(cSyntax());
        storage->insert(0, text);
        const size_t after = mallinfo2().uordblks;
        perMegabyte = static_cast<double>(after - before) / (static_cast<double>(text.size()) / 1e6);
    }
    state.counters["heapBytesPerMBOfText"] = perMegabyte;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(uchar)));
}
BENCHMARK(BM_LoadMemoryPerMegabyte)->Unit(benchmark::kMillisecond);

// One line of C statements without a line break, of 256 KB to 1 MB: the
// time per byte must stay flat.
void BM_LoadSingleLine(benchmark::State& state)
{
    ustring text;
    while (text.size() < static_cast<size_t>(state.range(0)))
        text += u"x = f(y, 2) + z; ";
    for (auto _ : state) {
        TokenStorage storage;
        storage.setSyntax(cSyntax());
        storage.insert(0, text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(uchar)));
}
BENCHMARK(BM_LoadSingleLine)->Arg(1 << 18)->Arg(1 << 19)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Typing into the middle of a 1 MB line re-lexes the line: linear in it.
void BM_TypeInSingleLine(benchmark::State& state)
{
    ustring text;
    while (text.size() < (1u << 20))
        text += u"x = f(y, 2) + z; ";
    TokenStorage storage;
    storage.setSyntax(cSyntax());
    storage.insert(0, text);
    const int64_t middle = storage.size() / 2;
    for (auto _ : state) {
        storage.insert(middle, u"q");
        storage.erase(SelectionRegion(middle, middle + 1));
    }
}
BENCHMARK(BM_TypeInSingleLine)->Unit(benchmark::kMillisecond);

} // namespace
