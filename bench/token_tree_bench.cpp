// Lookups on the token tree of a large text: the token at a character offset
// and the offset at which a row starts, at random and in text order. The text
// is one million tokens (words of 1 to 8 units, a line break about every
// twelfth token), built once and shared by every benchmark.
#include <benchmark/benchmark.h>

#include <deque>
#include <random>
#include <vector>

#include "ui/text/token/bucket_container.h"

namespace {

struct LargeText {
    static constexpr size_t kTokenCount = 1000000;

    std::deque<ustring> texts;
    std::vector<Token> vocabulary;
    bucket_container tokens{nullptr};

    LargeText()
    {
        for (int i = 0; i < 64; ++i)
            texts.push_back(ustring(1 + i % 8, uchar(u'a' + i % 26)));
        texts.push_back(u"\n");
        for (const ustring& text : texts)
            vocabulary.push_back(Token{text.data(), text.data() + text.size(), nullptr, nullptr, 0.f, 1});
        Token* lineBreak = &vocabulary.back();

        std::mt19937 random(42);
        std::vector<Token*> chunk;
        for (size_t i = 0; i < kTokenCount; ++i) {
            Token* token = random() % 12 == 0 ? lineBreak : &vocabulary[random() % 64];
            chunk.push_back(token);
            if (chunk.size() == 4096 || i + 1 == kTokenCount) {
                tokens.insert(tokens.end(), chunk.data(), chunk.data() + chunk.size());
                chunk.clear();
            }
        }
    }
};

const LargeText& largeText()
{
    static const LargeText text;
    return text;
}

std::vector<int64_t> randomValues(int64_t limit, size_t count)
{
    std::mt19937_64 random(7);
    std::vector<int64_t> values(count);
    for (int64_t& value : values)
        value = static_cast<int64_t>(random() % static_cast<uint64_t>(limit));
    return values;
}

void BM_PositionToTokenRandom(benchmark::State& state)
{
    const bucket_container& tokens = largeText().tokens;
    const std::vector<int64_t> positions = randomValues(tokens.size() + 1, 4096);
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tokens.locate(positions[next]));
        next = (next + 1) & 4095;
    }
}
BENCHMARK(BM_PositionToTokenRandom);

void BM_PositionToTokenSequential(benchmark::State& state)
{
    const bucket_container& tokens = largeText().tokens;
    const int64_t size = tokens.size();
    int64_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tokens.locate(position));
        position += 37; // a screen line's worth of text
        if (position > size)
            position = 0;
    }
}
BENCHMARK(BM_PositionToTokenSequential);

void BM_PositionToRowRandom(benchmark::State& state)
{
    const bucket_container& tokens = largeText().tokens;
    const std::vector<int64_t> positions = randomValues(tokens.size() + 1, 4096);
    size_t next = 0;
    int32_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tokens.locateWithRow(positions[next], row));
        benchmark::DoNotOptimize(row);
        next = (next + 1) & 4095;
    }
}
BENCHMARK(BM_PositionToRowRandom);

void BM_LineToPositionRandom(benchmark::State& state)
{
    const bucket_container& tokens = largeText().tokens;
    const std::vector<int64_t> rows = randomValues(tokens.lineBreakCount() + 1, 4096);
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tokens.rowStart(rows[next]));
        next = (next + 1) & 4095;
    }
}
BENCHMARK(BM_LineToPositionRandom);

void BM_LineToPositionSequential(benchmark::State& state)
{
    const bucket_container& tokens = largeText().tokens;
    const int64_t rows = tokens.lineBreakCount() + 1;
    int64_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tokens.rowStart(row));
        if (++row == rows)
            row = 0;
    }
}
BENCHMARK(BM_LineToPositionSequential);

} // namespace
