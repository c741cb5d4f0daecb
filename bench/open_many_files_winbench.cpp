// Opening 200 small files of many languages at once (the files of
// open_many_files_bench.cpp, bench_support::writeLanguageSamples) into a
// real editor window, 1920 x 1080, on each renderer: the reads run on Win32
// threads, their results come back through the message loop, and the frame
// is drawn, with its 200 tabs, by the graphics interface.
//
// Each iteration opens every file as the user would (openFile with
// kOpenFromUser, one after another), runs the message loop until every
// buffer holds its text (checked every 5 ms), and paints one frame, which
// waits until the graphics interface has drawn it. The time is that span
// (manual time); the views are removed again afterwards. "/cold" makes the
// language services anew for every iteration, so every grammar is compiled
// during the opening; "/warm" keeps them, with every grammar compiled before.
//
// Counters, medians over the iterations, in milliseconds from the first
// openFile call: "open_calls_ms", "loaded_ms" and "total_ms" (the end of the
// frame; the target is 3000 at most).
//
// Run under Wine with a display of the window's size:
//   xvfb-run -a -s "-screen 0 1920x1080x24" cmake/run-wine.sh --prefix build/wineprefix
//       build/vantrel_wine_bench.exe.so --benchmark_filter=OpenManyFilesWindow
// (one command line).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "texteditor/editor_window_rig.h"

#include "bench_support.h"
#include "open_many_files.h"

namespace {

using namespace open_many_files;

using bench_support::millisecondsBetween;
using editor_window_test::EditorWindowRig;
using text_window_test::RendererCase;
using Clock = window_test::FrameProbe::Clock;

// A read that has not ended by then ends the benchmark.
constexpr int kWatchdogMs = 60000;

OpenTimes openAll(EditorWindowRig& rig, const std::vector<ustring>& paths)
{
    TextEditorWindow& window = rig.window();
    OpenTimes times;
    std::vector<slate::SP<TextBufferView>> views;
    const auto start = Clock::now();
    bool opened = true;
    for (const ustring& path : paths) {
        views.push_back(window.openFile(path, FileEncoding(), TextEditorWindow::kOpenFromUser));
        opened = views.back() && opened;
    }
    times.openCallsMs = millisecondsBetween(start, Clock::now());
    if (opened && EditorWindowRig::runUntil([&window] { return allLoaded(window); }, kWatchdogMs)) {
        times.loadedMs = millisecondsBetween(start, Clock::now());
        const int before = rig.probe().frames;
        rig.paint();
        if (rig.probe().frames != before)
            times.totalMs = millisecondsBetween(start, rig.probe().lastFrameEnd);
    }
    for (const slate::SP<TextBufferView>& view : views) {
        if (view)
            window.viewSet().removeView(view.get());
    }
    return times;
}

void BM_OpenManyFilesWindow(benchmark::State& state, const RendererCase* renderer, bool warm)
{
    const std::vector<ustring>& paths = smallFiles("vantrel-open-many-window", [](const std::filesystem::path& path) {
        return test_support::programPath(path.string());
    });
    EditorWindowRig rig(*renderer, {1920, 1080, 0, true});
    if (!rig.ready()) {
        state.SkipWithError("the window cannot be made on this renderer");
        return;
    }
    rig.probe().waitForDevice = true;
    // The first frames lay the empty window out and fill the glyph atlases.
    for (int i = 0; i < 3; ++i)
        rig.paint();
    std::unique_ptr<bench_support::LanguageServices> languages;
    measure(state, warm, languages, [&rig, &paths] { return openAll(rig, paths); },
            "a file did not open, its read did not end or no frame came");
}

const bool s_registered = [] {
    for (const RendererCase& renderer : text_window_test::kRendererCases) {
        for (bool warm : {false, true})
            benchmark::RegisterBenchmark(("BM_OpenManyFilesWindow/" + std::string(renderer.name) +
                                          (warm ? "/warm" : "/cold")).c_str(),
                                         BM_OpenManyFilesWindow, &renderer, warm)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(3);
    }
    return true;
}();

} // namespace
