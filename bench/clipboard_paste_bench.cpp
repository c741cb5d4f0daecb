// Pasting 10 MB of text (UTF-16 code units, CR LF line ends as the clipboard
// holds them) into an empty view: the plain shape that most pastes take, and
// the fitted shape of pasteAndIndent, which rebuilds every line.
#include <benchmark/benchmark.h>

#include "controls/clipboard_commands.h"
#include "support/memory_desktop.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "view_command_bench.h"

namespace {

const ustring kLine = u"    value = compute(value, 1234) + other;\r\n";

void pasteIntoEmptyView(benchmark::State& state, const ustring& before, bool indent)
{
    test_support::MemoryDesktop desktop;
    desktop.m_text = bench_support::repeatedLineText(kLine, 10);
    GridRecordingCanvas canvas;
    for (auto _ : state) {
        state.PauseTiming();
        slate::SP<TextBuffer> buffer(new TextBuffer(before.data(), before.data() + before.size()));
        slate::SP<TextBufferView> view = buffer->createView(&canvas);
        view->mutableSel() = SelectionSet(SelectionRegion(static_cast<int64_t>(before.size())));
        state.ResumeTiming();
        paste(view, indent, true);
        state.PauseTiming();
        if (buffer->size() <= static_cast<int64_t>(desktop.m_text.size()) / 2)
            state.SkipWithError("nothing pasted");
        view.reset();
        buffer.reset();
        state.ResumeTiming();
    }
}

void BM_PastePlain10MB(benchmark::State& state) { pasteIntoEmptyView(state, u"", false); }
BENCHMARK(BM_PastePlain10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PasteAndIndent10MB(benchmark::State& state) { pasteIntoEmptyView(state, u"  ", true); }
BENCHMARK(BM_PasteAndIndent10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
