// One whole frame of the editor window, 1920 x 1080, on each renderer: two
// groups of ten tabs of C each, their minimaps, the toolbar and the status
// bar, with the shipped theme. Each iteration paints the window: the window
// procedure draws the frame, waits until the graphics interface has drawn
// it (reading back a pixel on OpenGL, an event query on Direct3D 9) and
// presents it. The time is that span (manual time).
//
// Counters: "median_ms", the median of the iterations' times, and
// "draw_calls", the drawing calls the renderer handed its graphics interface
// in one frame (glyph batches included).
//
// Run under Wine with a display of the window's size (one command line):
//   xvfb-run -a -s "-screen 0 1920x1080x24" cmake/run-wine.sh
//       --prefix $PWD/build/wineprefix $PWD/build/vantrel_wine_bench.exe.so
//       --benchmark_filter=WindowFrame
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "texteditor/editor_window_rig.h"

namespace {

using editor_window_test::EditorWindowRig;
using text_window_test::RendererCase;

void BM_WindowFrame(benchmark::State& state, const RendererCase* renderer)
{
    EditorWindowRig rig(*renderer, {1920, 1080, 20, true});
    if (!rig.ready()) {
        state.SkipWithError("the window cannot be made on this renderer");
        return;
    }
    rig.probe().waitForDevice = true;
    // The first frames lay the texts out and fill the glyph atlases.
    for (int i = 0; i < 3; ++i)
        rig.paint();
    const Canvas* canvas = rig.window().canvas();
    std::vector<double> times;
    uint64_t drawCalls = 0;
    for (auto _ : state) {
        const uint64_t submissionsBefore = canvas->submissionCount();
        const int before = rig.probe().frames;
        const auto start = window_test::FrameProbe::Clock::now();
        rig.paint();
        if (rig.probe().frames == before) {
            state.SkipWithError("the paint drew no frame");
            return;
        }
        const double seconds = std::chrono::duration<double>(rig.probe().lastFrameEnd - start).count();
        times.push_back(seconds);
        drawCalls = canvas->submissionCount() - submissionsBefore;
        state.SetIterationTime(seconds);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times.empty() ? 0.0 : times[times.size() / 2] * 1000.0;
    state.counters["draw_calls"] = double(drawCalls);
}

const bool s_registered = [] {
    for (const RendererCase& renderer : text_window_test::kRendererCases)
        benchmark::RegisterBenchmark(("BM_WindowFrame/" + std::string(renderer.name)).c_str(), BM_WindowFrame,
                                     &renderer)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    return true;
}();

} // namespace
