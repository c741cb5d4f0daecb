// The editing commands of a view at scale: typing one character (and one
// newline, which indents) with automatic indentation on at 1, 1,000 and
// 10,000 carets spread over a 1 MB and a 10 MB text, and indenting, joining
// and unindenting a select-all of 100,000 lines.
#include <benchmark/benchmark.h>

#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "view_command_bench.h"

namespace {

const ustring kLine = u"    int value = compute(index);\n";

slate::SP<TextBuffer> bufferOfLines(int64_t lines)
{
    ustring text;
    text.reserve(static_cast<size_t>(lines) * kLine.size());
    for (int64_t i = 0; i < lines; ++i)
        text += kLine;
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

// Types `typed` at `range(0)` carets spread evenly over a text of `range(1)`
// megabytes (of UTF-16 code units), each caret after its line's indentation.
// Every 16 keystrokes the typing is undone (untimed), so that the text and
// the merged group stay small.
void typeAtCarets(benchmark::State& state, const ustring& typed)
{
    const int64_t carets = state.range(0);
    const int64_t lines = state.range(1) * 1024 * 1024 / 2 / static_cast<int64_t>(kLine.size());
    slate::SP<TextBuffer> buffer = bufferOfLines(lines);
    buffer->m_autoIndent = true;
    GridRecordingCanvas canvas;
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    SelectionSet& sel = view->mutableSel();
    sel.clear();
    const int64_t step = lines / carets;
    for (int64_t i = 0; i < carets; ++i)
        sel.add(SelectionRegion(buffer->textPoint(static_cast<int32_t>(i * step), 4)));
    int count = 0;
    for (auto _ : state) {
        insertAndDecodeCharacters(view, typed);
        if (++count == 16) {
            state.PauseTiming();
            buffer->undo();
            buffer->clearUndoHistory();
            count = 0;
            state.ResumeTiming();
        }
    }
    state.counters["carets"] = static_cast<double>(carets);
    state.counters["MB"] = static_cast<double>(state.range(1));
}

void BM_TypeCharacter(benchmark::State& state)
{
    typeAtCarets(state, u"a");
}
BENCHMARK(BM_TypeCharacter)
    ->ArgsProduct({{1, 1000, 10000}, {1, 10}})
    ->Unit(benchmark::kMicrosecond);

void BM_TypeNewline(benchmark::State& state)
{
    typeAtCarets(state, u"\n");
}
BENCHMARK(BM_TypeNewline)
    ->ArgsProduct({{1, 1000, 10000}, {1, 10}})
    ->Unit(benchmark::kMicrosecond);

// One line command over a select-all of 100,000 lines, on a fresh buffer
// each time (made untimed).
template <typename Command>
void lineCommandOverAll(benchmark::State& state, Command command)
{
    bench_support::commandOnFreshViews(
        state, [] { return bufferOfLines(100000); },
        [](const slate::SP<TextBufferView>& view) {
            view->mutableSel() = SelectionSet(SelectionRegion(0, view->buffer()->size()));
        },
        command);
}

void BM_IndentSelectAll(benchmark::State& state)
{
    lineCommandOverAll(state, [](const ViewPtr& view) { indent(view, u"\t"); });
}
BENCHMARK(BM_IndentSelectAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UnindentSelectAll(benchmark::State& state)
{
    lineCommandOverAll(state, [](const ViewPtr& view) { unindent(view); });
}
BENCHMARK(BM_UnindentSelectAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_JoinSelectAll(benchmark::State& state)
{
    lineCommandOverAll(state, [](const ViewPtr& view) { join(view); });
}
BENCHMARK(BM_JoinSelectAll)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
