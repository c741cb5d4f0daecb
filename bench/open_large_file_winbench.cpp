// Opening a 100 MB C file in a real editor window, 1920 x 1080, on each
// renderer, against reading the same file. The file is a real C source
// (tests/data/lexing/xtranslcl.c) repeated, written once to a scratch folder
// and so read from the system's cache by every measurement; it opens with the
// C grammar and the shipped colour scheme, as in the program.
//
// Each iteration opens the file as the user would (openFile with
// kOpenFromUser) and runs the program's message loop, invalidating the
// window every millisecond, so that a frame comes whenever the main thread
// is free; each frame waits until the graphics interface has drawn it. The
// iteration ends at the first frame that shows the file's text (the buffer
// has ended its read and holds the text) once the load listeners have run;
// the view is then removed again. The time is that span (manual time).
//
// Counters, medians over the iterations, in milliseconds from the call of
// openFile:
//   "read_ms"          the whole file read in the reader's chunk size into
//                      one buffer through the reader's file opening, alone;
//   "editor_read_ms"   the reading thread's work alone (read, decode,
//                      normalise, append to a token storage), on this thread;
//   "append_ms"        the part of that spent appending to the storage;
//   "open_call_ms"     the return of openFile;
//   "layout_ms"        the time the views spent laying the text out on the
//                      main thread (whole, as the wrapping needs it);
//   "first_screen_ms"  the end of the first frame that shows text;
//   "load_done_ms"     when the buffer's load listeners ran;
//   "max_frame_gap_ms" the longest span without a frame ending, from the
//                      call of openFile to the first screen (how long the
//                      window stopped answering);
//   "frames"           frames drawn in that time;
//   "ratio"            first_screen_ms / read_ms (the target is 2 at most),
//   "editor_ratio"     first_screen_ms / editor_read_ms.
//
// Run under Wine with a display of the window's size:
//   xvfb-run -a -s "-screen 0 1920x1080x24" cmake/run-wine.sh --prefix build/wineprefix
//       build/vantrel_wine_bench.exe.so --benchmark_filter=OpenLargeFile
// (one command line).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "texteditor/editor_window_rig.h"
#include "ui/statistics.h"
#include "ui/text/read_job.h"
#include "ui/text/token/token_storage.h"

#include "bench_support.h"

namespace {

using bench_support::median;
using bench_support::millisecondsBetween;
using editor_window_test::EditorWindowRig;
using text_window_test::RendererCase;
using Clock = window_test::FrameProbe::Clock;

constexpr size_t kFileBytes = size_t(100) << 20;
// A load that has not shown its text by then ends the benchmark.
constexpr int kWatchdogMs = 120000;

// The 100 MB file, written once for the whole program.
const test_support::ScratchFolder& largeFileFolder()
{
    static test_support::ScratchFolder s_folder("vantrel-open-large");
    static const bool s_written = [] {
        const std::string source = test_support::readFile(test_support::dataPath("lexing/xtranslcl.c"));
        std::string text;
        text.reserve(kFileBytes + source.size());
        while (text.size() < kFileBytes)
            text += source;
        text.resize(kFileBytes);
        s_folder.write("large.c", text);
        return true;
    }();
    (void)s_written;
    return s_folder;
}

ustring largeFilePath()
{
    return test_support::programPath((largeFileFolder() / "large.c").string());
}

// The whole file into one buffer, in the reader's chunks; milliseconds, or
// a negative number when it could not be read.
double plainRead(const ustring& path)
{
    const auto start = Clock::now();
    ustring error;
    std::unique_ptr<ReadableFile> file = openReadableFile(path, error);
    if (!file)
        return -1;
    const int64_t size = file->size();
    std::vector<char> bytes(static_cast<size_t>(std::max<int64_t>(size, 0)) + ReadJob::kChunkSize);
    size_t total = 0;
    bool failed = false;
    while (!failed) {
        const size_t count = file->read(bytes.data() + total, ReadJob::kChunkSize, failed, error);
        if (count == 0)
            break;
        total += count;
        if (total + ReadJob::kChunkSize > bytes.size())
            bytes.resize(bytes.size() * 2);
    }
    benchmark::DoNotOptimize(bytes.data());
    return failed || total != static_cast<size_t>(size) ? -1 : millisecondsBetween(start, Clock::now());
}

// The reading thread's work alone, run here; `appendMs` gets the part of it
// spent appending the decoded text to the token storage.
double editorRead(const ustring& path, double& appendMs)
{
    const double appendBefore = g_statReadFileInsertCharacters.snapshot().sum;
    const auto start = Clock::now();
    ReadJob job(path, kEncodingUndefined, kEncodingUndefined, std::make_unique<TokenStorage>(), FileOpener());
    job.run();
    const double milliseconds = millisecondsBetween(start, Clock::now());
    appendMs = (g_statReadFileInsertCharacters.snapshot().sum - appendBefore) * 1000.0;
    return job.result.status == ReadStatus::completed ? milliseconds : -1;
}

struct OpenTimes {
    double openCallMs = -1;
    double layoutMs = 0;
    double firstScreenMs = -1;
    double loadDoneMs = -1;
    double maxFrameGapMs = 0;
    int frames = 0;
};

// Opens the file in the rig's window and pumps frames until its text shows;
// the view is removed again afterwards. firstScreenMs stays negative when no
// frame showed the text in time.
OpenTimes openAndShow(EditorWindowRig& rig, const ustring& path)
{
    TextEditorWindow& window = rig.window();
    const platform::WindowHandle handle = window.m_window->nativeHandle();
    std::vector<Clock::time_point> frameEnds;
    TextBuffer* buffer = nullptr;
    auto firstScreen = std::make_shared<Clock::time_point>();
    auto loadDone = std::make_shared<Clock::time_point>();
    rig.probe().onFrameEnd = [&] {
        frameEnds.push_back(rig.probe().lastFrameEnd);
        if (buffer && *firstScreen == Clock::time_point() && !buffer->isReading() && buffer->size() > 0)
            *firstScreen = rig.probe().lastFrameEnd;
    };

    const double layoutBefore = g_statTokenRendererCreateLayout.sum;
    const auto start = Clock::now();
    slate::SP<TextBufferView> view = window.openFile(path, FileEncoding(), TextEditorWindow::kOpenFromUser);
    OpenTimes times;
    times.openCallMs = millisecondsBetween(start, Clock::now());
    if (!view) {
        rig.probe().onFrameEnd = nullptr;
        return times;
    }
    buffer = view->buffer();
    if (buffer->isReading())
        buffer->addLoadListener([loadDone] { *loadDone = Clock::now(); });
    else
        *loadDone = Clock::now();

    auto ticks = std::make_shared<int>(kWatchdogMs);
    auto pump = std::make_shared<std::function<void()>>();
    *pump = [&, ticks, pump] {
        if ((*firstScreen != Clock::time_point() && *loadDone != Clock::time_point()) || --*ticks <= 0) {
            quitMainLoop(0);
            return;
        }
        findAppWindow(handle)->invalidate();
        setTimeout(*pump, 1);
    };
    setTimeout(*pump, 0);
    runMessageLoop(false);
    *pump = nullptr; // breaks the cycle
    rig.probe().onFrameEnd = nullptr;

    if (*firstScreen != Clock::time_point()) {
        times.firstScreenMs = millisecondsBetween(start, *firstScreen);
        times.loadDoneMs = millisecondsBetween(start, *loadDone);
        times.layoutMs = (g_statTokenRendererCreateLayout.sum - layoutBefore) * 1000.0;
        Clock::time_point previous = start;
        for (const Clock::time_point& end : frameEnds) {
            if (end > *firstScreen)
                break;
            times.maxFrameGapMs = std::max(times.maxFrameGapMs, millisecondsBetween(previous, end));
            previous = end;
            ++times.frames;
        }
    }
    window.viewSet().removeView(view.get());
    return times;
}

void BM_OpenLargeFile(benchmark::State& state, const RendererCase* renderer)
{
    const ustring path = largeFilePath();
    EditorWindowRig rig(*renderer, {1920, 1080, 0, true});
    if (!rig.ready()) {
        state.SkipWithError("the window cannot be made on this renderer");
        return;
    }
    // The file opens with the C grammar, as in the program.
    bench_support::LanguageServices languages;
    rig.probe().waitForDevice = true;
    // The first frames lay the empty window out and fill the glyph atlases.
    for (int i = 0; i < 3; ++i)
        rig.paint();

    std::vector<double> reads, editorReads, appends, openCalls, layouts, firstScreens, loadsDone, gaps, frames;
    for (auto _ : state) {
        const double read = plainRead(path);
        double append = 0;
        const double editor = editorRead(path, append);
        if (read < 0 || editor < 0) {
            state.SkipWithError("the file could not be read");
            return;
        }
        const OpenTimes times = openAndShow(rig, path);
        if (times.firstScreenMs < 0) {
            state.SkipWithError("no frame showed the file's text");
            return;
        }
        reads.push_back(read);
        editorReads.push_back(editor);
        appends.push_back(append);
        openCalls.push_back(times.openCallMs);
        layouts.push_back(times.layoutMs);
        firstScreens.push_back(times.firstScreenMs);
        loadsDone.push_back(times.loadDoneMs);
        gaps.push_back(times.maxFrameGapMs);
        frames.push_back(times.frames);
        state.SetIterationTime(times.firstScreenMs / 1000.0);
    }
    const double read = median(reads);
    const double editor = median(editorReads);
    const double firstScreen = median(firstScreens);
    state.counters["read_ms"] = read;
    state.counters["editor_read_ms"] = editor;
    state.counters["append_ms"] = median(appends);
    state.counters["open_call_ms"] = median(openCalls);
    state.counters["layout_ms"] = median(layouts);
    state.counters["first_screen_ms"] = firstScreen;
    state.counters["load_done_ms"] = median(loadsDone);
    state.counters["max_frame_gap_ms"] = median(gaps);
    state.counters["frames"] = median(frames);
    state.counters["ratio"] = read > 0 ? firstScreen / read : 0.0;
    state.counters["editor_ratio"] = editor > 0 ? firstScreen / editor : 0.0;
}

const bool s_registered = [] {
    for (const RendererCase& renderer : text_window_test::kRendererCases)
        benchmark::RegisterBenchmark(("BM_OpenLargeFile/" + std::string(renderer.name)).c_str(), BM_OpenLargeFile,
                                     &renderer)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(3);
    return true;
}();

} // namespace
