// Caret movement and selection-set commands at scale: word and line moves
// with 1,000 and 10,000 carets in a text of 10 million units (one caret
// every few lines, as a find-all makes them), and selecting all of a
// million-line text and splitting it into lines. Moves alternate forward
// and back so that the carets stay where they started.
#include <benchmark/benchmark.h>

#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_movement.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"

namespace {

constexpr int64_t kLineLength = 100; // with its newline
constexpr int64_t kLineCount = 100000; // 10 million units

ustring lineText(int64_t length)
{
    ustring line;
    while (static_cast<int64_t>(line.size()) + 1 < length)
        line += u"word.";
    line.resize(static_cast<size_t>(length - 1));
    line += u'\n';
    return line;
}

struct MovementFixture {
    MovementFixture(int64_t lineCount, int64_t lineLength)
    {
        const ustring line = lineText(lineLength);
        ustring text;
        text.reserve(static_cast<size_t>(lineCount * lineLength));
        for (int64_t i = 0; i < lineCount; ++i)
            text += line;
        buffer = view_test::makeBuffer(text);
        buffer->m_wordSeparators = u".";
        view = buffer->createView(&canvas);
        view->setOptions(view_test::optionsFrom("wordWrap false"));
        view->setViewportSize(800.f, 600.f);
    }
    // A caret in the middle of every (lineCount / carets)-th line.
    void placeCarets(int64_t carets)
    {
        const int64_t stride = kLineCount / carets;
        SelectionSet& sel = view->mutableSel();
        sel.clear();
        for (int64_t i = 0; i < carets; ++i)
            sel.add(SelectionRegion(buffer->textPoint(static_cast<int32_t>(i * stride), 42)));
    }

    GridRecordingCanvas canvas;
    slate::SP<TextBuffer> buffer;
    slate::SP<TextBufferView> view;
};

template <typename Move>
void runMoves(benchmark::State& state, Move move)
{
    MovementFixture fixture(kLineCount, kLineLength);
    fixture.placeCarets(state.range(0));
    // The first query lays the whole text out; that is not what is measured.
    fixture.view->textToLayout(fixture.buffer->size());
    int steps = 0;
    for (auto _ : state) {
        move(fixture.view, steps % 2 == 0);
        if (++steps == 64) {
            state.PauseTiming();
            fixture.buffer->clearUndoHistory();
            steps = 0;
            state.ResumeTiming();
        }
    }
    state.counters["carets"] = static_cast<double>(state.range(0));
}

void BM_MoveWords(benchmark::State& state)
{
    runMoves(state, [](const ViewPtr& view, bool forward) { moveWords(view, forward, false); });
}
BENCHMARK(BM_MoveWords)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_MoveLines(benchmark::State& state)
{
    runMoves(state, [](const ViewPtr& view, bool forward) { moveLines(view, forward, false); });
}
BENCHMARK(BM_MoveLines)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SelectAllAndSplitIntoLines(benchmark::State& state)
{
    MovementFixture fixture(1000000, 20);
    for (auto _ : state) {
        selectAll(fixture.view);
        splitSelectionIntoLines(fixture.view);
        state.PauseTiming();
        benchmark::DoNotOptimize(fixture.view->sel().size());
        fixture.buffer->clearUndoHistory();
        fixture.placeCarets(1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAllAndSplitIntoLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
