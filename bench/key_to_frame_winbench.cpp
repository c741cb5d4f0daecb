// Key press to finished frame in a real window: one text view with its
// minimap, over 10 MB of C (plain text, no grammar), in a window of about
// 1920 x 1080 made by the Win32 window manager on each renderer. Each
// iteration posts a key press and release for "a" to the native window and
// runs the program's message loop until the frame that shows the typed
// characters has ended: the loop takes the key, the window procedure hands
// it on, the loop translates it into a character, the text control types it
// at every caret, and the next paint draws the window, waits until the
// graphics interface has drawn the frame (reading back a pixel on OpenGL,
// an event query on Direct3D 9) and presents it. The time is that span
// (manual time), with 1 caret and with 1,000 carets spread evenly over the
// text. Every 16 keys the typing is undone between iterations.
//
// Counters: "median_ms", the median of the iterations' times, and
// "carets".
//
// Run under Wine with a display of the window's size:
//   xvfb-run -a -s "-screen 0 1920x1080x24" cmake/run-wine.sh --prefix $PWD/build/wineprefix \
//       $PWD/build/vantrel_wine_bench.exe.so --benchmark_filter=KeyToFrame
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "controls/probed_peer.h"
#include "controls/text_view_window.h"
#include "ui/log.h"
#include "ui/timer_queue.h"
#include "window_manager/main_loop.h"
#include "window_manager/window_manager_lifetime.h"
#include "window_manager/window_test_input.h"

#include "bench_support.h"

namespace {

using text_window_test::RendererCase;
using text_window_test::TextViewWindow;

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;
constexpr uint32_t kVkA = 'A';
// An iteration whose frame has not come by then ends the benchmark.
constexpr int kWatchdogMs = 10000;

slate::SP<TextBuffer> tenMegabytesOfC()
{
    ustring text;
    text.reserve(10u << 20);
    for (int i = 0; text.size() < (10u << 20); ++i)
        text += bench_support::kCLines[i % bench_support::kCLineCount];
    slate::SP<TextBuffer> buffer(new TextBuffer(text.data(), text.data() + text.size()));
    buffer->m_autoIndent = true;
    return buffer;
}

// A window manager of one renderer and a text view window, for one
// benchmark; the log stays quiet meanwhile (every run of the loop writes
// its statistics report).
class KeyToFrameRig {
public:
    KeyToFrameRig(const RendererCase& renderer, int carets) : m_debugOutput(g_debugOutputEnabled.exchange(false))
    {
        m_manager = window_test::startWindowManager(renderer.managerFlags);
        window_test::probePeers(*m_manager, m_probe);
        m_buffer = tenMegabytesOfC();
        m_window = TextViewWindow::open(*m_manager, m_buffer, "wordWrap false\n", kFrameWidth, kFrameHeight);
        if (!m_window || m_probe.kind != renderer.kind)
            return;
        m_handle = m_window->m_window->nativeHandle();
        SelectionSet& selection = m_window->view().mutableSel();
        selection.clear();
        int32_t row = 0, column = 0;
        m_buffer->rowcol(m_buffer->size(), row, column);
        const int32_t step = std::max(1, row / carets);
        for (int i = 0; i < carets; ++i)
            selection.add(SelectionRegion(m_buffer->textPoint(i * step, 4)));
        m_probe.waitForDevice = true;
        window_test::setKeysDown();
        // The first frame gives the text region the focus.
        window_test::paintNow(m_handle);
        m_ready = true;
    }
    ~KeyToFrameRig()
    {
        m_probe.onFrameEnd = nullptr;
        window_test::stopWindowManager();
        g_debugOutputEnabled = m_debugOutput;
    }

    bool ready() const { return m_ready; }

    // Types "a" through the window and returns the seconds from posting
    // the key to the end of the frame that shows it; negative when no such
    // frame came.
    double typeKey()
    {
        const int64_t before = m_buffer->size();
        auto waiting = std::make_shared<bool>(true);
        m_probe.onFrameEnd = [this, before, waiting] {
            if (*waiting && m_buffer->size() != before) {
                *waiting = false;
                quitMainLoop(0);
            }
        };
        setTimeout([waiting] {
            if (*waiting) {
                *waiting = false;
                quitMainLoop(1);
            }
        }, kWatchdogMs);
        const auto start = window_test::FrameProbe::Clock::now();
        window_test::postKey(m_handle, kVkA, true);
        window_test::postKey(m_handle, kVkA, false);
        const int exitCode = runMessageLoop(false);
        m_probe.onFrameEnd = nullptr;
        if (exitCode != 0)
            return -1;
        if (++m_typed % 16 == 0) {
            m_buffer->undo();
            m_buffer->clearUndoHistory();
        }
        return std::chrono::duration<double>(m_probe.lastFrameEnd - start).count();
    }

private:
    bool m_debugOutput;
    Win32WindowManager* m_manager = nullptr;
    window_test::FrameProbe m_probe;
    text_window_test::TextViewSession m_session;
    slate::SP<TextBuffer> m_buffer;
    TextViewWindow* m_window = nullptr; // owned by its native window
    platform::WindowHandle m_handle = nullptr;
    bool m_ready = false;
    int m_typed = 0;
};

void BM_KeyToFrame(benchmark::State& state, const RendererCase* renderer, int carets)
{
    KeyToFrameRig rig(*renderer, carets);
    // The first keys lay the text out and fill the glyph atlases.
    for (int i = 0; rig.ready() && i < 3; ++i) {
        if (rig.typeKey() < 0) {
            state.SkipWithError("no frame showed the typed key");
            return;
        }
    }
    if (!rig.ready()) {
        state.SkipWithError("the renderer cannot draw here");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        const double seconds = rig.typeKey();
        if (seconds < 0) {
            state.SkipWithError("no frame showed the typed key");
            return;
        }
        times.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times.empty() ? 0.0 : times[times.size() / 2] * 1000.0;
    state.counters["carets"] = double(carets);
}

const bool s_registered = [] {
    for (const RendererCase& renderer : text_window_test::kRendererCases) {
        for (int carets : {1, 1000})
            benchmark::RegisterBenchmark(("BM_KeyToFrame/" + std::string(renderer.name) + "/" +
                                          std::to_string(carets)).c_str(),
                                         BM_KeyToFrame, &renderer, carets)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
    }
    return true;
}();

} // namespace
