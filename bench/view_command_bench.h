// Timing one command on a fresh view of a fresh buffer each iteration, with
// the making and the freeing left out of the time.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"

namespace bench_support {

// `line` repeated to about `megabytes` of UTF-16 text.
inline ustring repeatedLineText(const ustring& line, int64_t megabytes)
{
    const int64_t lines = megabytes * 1024 * 1024 / 2 / static_cast<int64_t>(line.size());
    ustring text;
    text.reserve(static_cast<size_t>(lines) * line.size());
    for (int64_t i = 0; i < lines; ++i)
        text += line;
    return text;
}

// `makeBuffer` returns a slate::SP<TextBuffer>; `prepare` and `command`
// take the view (prepare runs untimed, e.g. to select).
template <typename MakeBuffer, typename Prepare, typename Command>
void commandOnFreshViews(benchmark::State& state, MakeBuffer makeBuffer, Prepare prepare, Command command)
{
    GridRecordingCanvas canvas;
    for (auto _ : state) {
        state.PauseTiming();
        slate::SP<TextBuffer> buffer = makeBuffer();
        slate::SP<TextBufferView> view = buffer->createView(&canvas);
        prepare(view);
        state.ResumeTiming();
        command(view);
        state.PauseTiming();
        view.reset();
        buffer.reset();
        state.ResumeTiming();
    }
}

} // namespace bench_support
