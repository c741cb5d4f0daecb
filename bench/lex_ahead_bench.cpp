// Jumping to the end of a freshly loaded large JavaScript file (a real
// script, tests/data/lexing/docs_index.js, repeated), as ctrl+end right
// after opening does, with the background lexing (lex_ahead.h) colouring the
// text meanwhile. The window is modelled by its main thread: it draws a
// full-screen frame (gutter and text, 1920 x 1080, wrapping) of the end of
// the file, then keeps running the main-thread queue, where the slices
// arrive, and draws the frame again after each batch of them, until all the
// text is lexed.
//
// Counters, in milliseconds:
//   "end_frame_ms"       the first frame at the end, right after the load;
//   "max_step_ms"        the longest the main thread was busy at once
//                        afterwards (slices taken back and the frame drawn);
//   "main_busy_ms"       the main thread's time in those steps, in all;
//   "coloured_ms"        from the load until everything was lexed;
// BM_CtrlEndWholeLex's "whole_lex_ms" is the same jump without lexing ahead:
// the whole text lexed at once on the main thread, as before.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "support/blank_canvas.h"
#include "support/fixed_advance_font.h"
#include "ui/main_thread_queue.h"
#include "ui/text/token/lex_ahead.h"

#include "bench_support.h"

namespace {

using bench_support::millisecondsBetween;
using Clock = std::chrono::steady_clock;

// 8 MB is the size the window must stay responsive at, but today's lexer
// keeps states for such a text in more memory than a test machine has (2 MB
// of this script took 8.8 GB); 2 MB shows the same behaviour.
constexpr size_t kTextUnits = size_t(2) << 20;

// A fresh load of the JavaScript grammar, so that no measurement starts
// with lexer states another one made.
slate::SP<Syntax> javaScriptSyntax()
{
    static test_support::ScratchFolder s_folder("vantrel-bench-js-grammar");
    static const ustring s_copy = s_folder.write(
        "javascript.tmLanguage", test_support::readFile(test_support::dataPath("grammars/javascript.tmLanguage")));
    static std::vector<std::unique_ptr<SyntaxLoader>> s_loaders;
    s_loaders.push_back(std::make_unique<SyntaxLoader>());
    return s_loaders.back()->loadSyntax(s_copy);
}

ustring javaScriptText(size_t units)
{
    const ustring source = toUstring(test_support::readFile(test_support::dataPath("lexing/docs_index.js")));
    ustring text;
    text.reserve(units + source.size());
    while (text.size() < units)
        text += source;
    return text;
}

// Draws nothing.
class NullCanvas : public BlankCanvas {
protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override { return nullptr; }
};

void BM_CtrlEndFreshFile(benchmark::State& state)
{
    static FixedAdvanceFont s_font(8.f, 16.f);
    const ustring text = javaScriptText(kTextUnits);
    LayoutSettings layout;
    layout.font = &s_font;
    layout.tabWidth = 32.f;
    layout.wordWrap = true;
    ViewSettings view(nullptr);
    view.layout = layout;
    view.lineNumbers = true;
    NullCanvas canvas;
    auto drawFrame = [&](TokenRenderer& renderer, const LayoutBand& band) {
        std::vector<int64_t> highlighted;
        renderer.drawGutter(bench_support::viewGutter(canvas, view, band), highlighted);
        renderer.draw(bench_support::viewText(canvas, view, band, highlighted));
    };

    double endFrame = 0, maxStep = 0, mainBusy = 0, coloured = 0;
    for (auto _ : state) {
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(javaScriptSyntax());
        storage->appendWithoutLexing(text.data(), text.data() + text.size());
        slate::SP<TokenRenderer> renderer(new TokenRenderer(storage.get(), 1800.f, layout));
        renderer->ensureLayout();
        const double height = renderer->layoutSize().y;
        const LayoutBand band{0.0, std::max(0.0, height - 1080.0), 1920.0, height};

        const Clock::time_point loaded = Clock::now();
        LexAhead lexAhead;
        lexAhead.attach(storage.get());
        lexAhead.wake();
        drawFrame(*renderer, band);
        endFrame = millisecondsBetween(loaded, Clock::now());
        maxStep = 0;
        mainBusy = 0;
        while (lexAhead.busy()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const Clock::time_point start = Clock::now();
            runMainThreadQueue();
            drawFrame(*renderer, band);
            const double step = millisecondsBetween(start, Clock::now());
            maxStep = std::max(maxStep, step);
            mainBusy += step;
        }
        coloured = millisecondsBetween(loaded, Clock::now());

    }
    state.counters["end_frame_ms"] = endFrame;
    state.counters["max_step_ms"] = maxStep;
    state.counters["main_busy_ms"] = mainBusy;
    state.counters["coloured_ms"] = coloured;
}
BENCHMARK(BM_CtrlEndFreshFile)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same jump without lexing ahead, as before: the frame at the end lexes
// the whole text first.
void BM_CtrlEndWholeLex(benchmark::State& state)
{
    const ustring text = javaScriptText(kTextUnits);
    double wholeLex = 0;
    for (auto _ : state) {
        TokenStorage storage;
        storage.setSyntax(javaScriptSyntax());
        storage.appendWithoutLexing(text.data(), text.data() + text.size());
        const Clock::time_point start = Clock::now();
        storage.validateUntil(storage.size());
        wholeLex = millisecondsBetween(start, Clock::now());
    }
    state.counters["whole_lex_ms"] = wholeLex;
}
BENCHMARK(BM_CtrlEndWholeLex)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
