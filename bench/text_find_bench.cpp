// Find and replace over a 10 MB text (of UTF-16 code units) in which a
// one-character literal matches about a million times: replacing every match
// (one undo step, which one undo must reverse) and selecting every match.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "view_command_bench.h"

namespace {

// Six matches of "x" in 31 units.
const ustring kLine = u"x = x + x * (x - x) / x + 1234\n";

// Runs `command` on a fresh view of the text each time (made untimed).
template <typename Command>
void commandOverText(benchmark::State& state, Command command)
{
    const ustring text = bench_support::repeatedLineText(kLine, 10);
    bench_support::commandOnFreshViews(
        state,
        [&] { return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size())); },
        [](const slate::SP<TextBufferView>&) {}, command);
    state.counters["matches"] = static_cast<double>(std::count(text.begin(), text.end(), u'x'));
}

void BM_ReplaceAllOneCharacter(benchmark::State& state)
{
    commandOverText(state, [&](const ViewPtr& view) {
        replaceAllMatches(view, SelectionSet(), u"x", u"yz", FindOptions(), false);
        state.PauseTiming();
        TextBuffer& buffer = *view->buffer();
        const bool replaced = buffer.charAt(0) == u'y';
        buffer.undo();
        if (!replaced || buffer.canUndo() || buffer.charAt(0) != u'x')
            state.SkipWithError("not one undo step");
        state.ResumeTiming();
    });
}
BENCHMARK(BM_ReplaceAllOneCharacter)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SelectAllMatchesOneCharacter(benchmark::State& state)
{
    commandOverText(state, [](const ViewPtr& view) {
        selectAllMatches(view, SelectionSet(), u"x", FindOptions());
    });
}
BENCHMARK(BM_SelectAllMatchesOneCharacter)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
