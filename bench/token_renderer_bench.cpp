// The token renderer's costs: claiming a layout over a whole file (1, 10 and
// 50 MB of C, wrapping on and off; one line of 1 MB); one full-screen frame
// (gutter and text, 1920 x 1080) in the middle of a 1 MB file with 0, 1,000
// and 100,000 regions in a region layer and with 1 and 1,000 carets; and
// scrolling a screen at a time through a freshly loaded 10 MB file, which
// lexes only what is shown. Frames report their time ("frame_time", seconds
// per frame) and the canvas and font calls each makes ("draw_calls").
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "canvas/basic_canvas.h"
#include "support/fixed_advance_font.h"
#include "support/scratch_folder.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/view_settings.h"

#include "bench_support.h"

using bench_support::cSyntax;

namespace {

// About `bytes` units of C, 28 units per line on average; one line when
// `oneLine` (line breaks become blanks).
ustring cText(int64_t bytes, bool oneLine)
{
    ustring text;
    text.reserve(static_cast<size_t>(bytes) + 64);
    for (int i = 0; static_cast<int64_t>(text.size()) < bytes; ++i)
        text += bench_support::kCLines[i % bench_support::kCLineCount];
    if (oneLine)
        for (uchar& unit : text)
            if (unit == u'\n')
                unit = u' ';
    return text;
}

// Storages by size in MB (negative: one line of that size), loaded once.
TokenStorage& storageOf(int64_t megabytes)
{
    static std::map<int64_t, std::unique_ptr<TokenStorage>> s_storages;
    std::unique_ptr<TokenStorage>& storage = s_storages[megabytes];
    if (!storage) {
        storage = std::make_unique<TokenStorage>();
        storage->setSyntax(cSyntax());
        storage->insert(0, cText(std::abs(megabytes) << 20, megabytes < 0));
    }
    return *storage;
}

FixedAdvanceFont& benchFont()
{
    static FixedAdvanceFont s_font(8.f, 16.f);
    return s_font;
}

LayoutSettings benchLayout(bool wrap)
{
    LayoutSettings layout;
    layout.font = &benchFont();
    layout.tabWidth = 32.f;
    layout.wordWrap = wrap;
    layout.indentSubsequentLines = true;
    return layout;
}

void BM_EnsureLayout(benchmark::State& state)
{
    const int64_t megabytes = state.range(0);
    const bool wrap = state.range(1) != 0;
    TokenStorage& storage = storageOf(megabytes);
    for (auto _ : state) {
        slate::SP<TokenRenderer> renderer(new TokenRenderer(&storage, 1200.f, benchLayout(wrap)));
        renderer->ensureLayout();
        benchmark::DoNotOptimize(renderer->layoutSize());
        state.PauseTiming();
        renderer.reset(); // removing the layout is not what is measured
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (std::abs(megabytes) << 20) * 2);
}

void layoutSizes(benchmark::internal::Benchmark* benchmark)
{
    for (int64_t size : {1, 10, 50})
        for (int64_t wrap : {0, 1})
            benchmark->Args({size, wrap});
    // One line of 1 MB.
    for (int64_t wrap : {0, 1})
        benchmark->Args({-1, wrap});
}
// Each claim of the 50 MB layout takes seconds; a few are enough.
BENCHMARK(BM_EnsureLayout)->Apply(layoutSizes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Counts what a frame asks of the graphics interface and draws nothing.
class CountingCanvas : public BasicCanvas {
public:
    void drawTexturedQuad(const interval2&, const interval2&) override { ++calls; }
    void fillRect(const interval2&, const Colour&) override { ++calls; }
    void drawLine(const vector2&, const vector2&, const Colour&) override { ++calls; }
    void drawLines(const float*, int) override { ++calls; }
    void drawLineStrip(const float*, int) override { ++calls; }
    void drawIndexedTriangles(const float*, const uint16_t*, int, int) override { ++calls; }

    int64_t calls = 0;

protected:
    Texture* createTexture(const ustring&) override { return nullptr; }
    TextureUnicodeFontHelper* createFontHelper() override { return nullptr; }
};

class CountingFont : public FixedAdvanceFont {
public:
    CountingFont() : FixedAdvanceFont(8.f, 16.f) {}
    void drawText(float, float, const uchar*, const uchar*, const ColourPair&, bool) override
    {
        ++calls;
    }
    void flush() override { ++calls; }
    int64_t calls = 0;
};

// Frame time and draw calls per frame as counters: `frames` frames were
// drawn in all, the last of them with `drawCalls` calls.
void reportFrames(benchmark::State& state, int64_t frames, int64_t drawCalls)
{
    state.counters["frame_time"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["draw_calls"] = double(drawCalls);
}

// Draws the gutter and the text of one band, as a view does.
void drawFrame(TokenRenderer& renderer, Canvas& canvas, const ViewSettings& view,
               const LayoutBand& band, const SelectionSet* selections,
               const std::vector<RegionLayer>* layers, const std::vector<int64_t>* fullyHighlighted)
{
    std::vector<int64_t> highlighted;
    GutterArguments gutter = bench_support::viewGutter(canvas, view, band);
    gutter.fullyHighlighted = fullyHighlighted;
    renderer.drawGutter(gutter, highlighted);
    DrawArguments args = bench_support::viewText(canvas, view, band, highlighted);
    args.selections = selections;
    args.layers = layers;
    renderer.draw(args);
}

void BM_Frame(benchmark::State& state)
{
    const int64_t regionCount = state.range(0);
    const int64_t caretCount = state.range(1);
    static CountingFont s_font;
    TokenStorage& storage = storageOf(1);
    LayoutSettings layout = benchLayout(true);
    layout.font = &s_font;
    slate::SP<TokenRenderer> renderer(new TokenRenderer(&storage, 1800.f, layout));
    CountingCanvas canvas;
    ViewSettings view(nullptr);
    view.layout = layout;
    view.lineNumbers = true;

    // The middle of the file, a screen high.
    const int64_t middle = storage.size() / 2;
    const double top = renderer->pointAtPosition(middle).y;
    const LayoutBand band{0.0, top, 1920.0, top + 1080.0};
    const SelectionRegion visible = renderer->visibleRange(band);

    std::vector<RegionLayer> layers(1);
    const int64_t step = regionCount ? std::max<int64_t>(2, storage.size() / regionCount) : 0;
    for (int64_t i = 0; i < regionCount; ++i)
        layers[0].regions.push_back(SelectionRegion(i * step, i * step + step / 2));
    SelectionSet selections;
    int32_t row = 0, column = 0;
    storage.rowcol(visible.begin(), row, column);
    for (int64_t i = 0; i < caretCount; ++i)
        selections.push_back(SelectionRegion(storage.textPoint(row + int32_t(i), 4)));
    std::vector<int64_t> full{storage.textPoint(row + 5, 0)};

    int64_t calls = 0;
    for (auto _ : state) {
        canvas.calls = 0;
        s_font.calls = 0;
        drawFrame(*renderer, canvas, view, band, &selections, &layers, &full);
        calls = canvas.calls + s_font.calls;
    }
    reportFrames(state, state.iterations(), calls);
}
BENCHMARK(BM_Frame)
    ->Args({0, 1})
    ->Args({1000, 1})
    ->Args({100000, 1})
    ->Args({0, 1000})
    ->Unit(benchmark::kMicrosecond);

// Scrolling from the top of a file that was just loaded (its text not lexed
// yet) a screen at a time for 200 screens, as paging down does: every frame
// lexes the lines it shows and no further. Reports the frame time, the draw
// calls of the last frame, and how far lexing reached ("lexed_bytes") beside
// how far the last frame showed ("shown_bytes").
void BM_ScrollFreshFile(benchmark::State& state)
{
    const int64_t megabytes = state.range(0);
    constexpr int kScreens = 200;
    static CountingFont s_font;
    const ustring text = cText(megabytes << 20, false);
    LayoutSettings layout = benchLayout(true);
    layout.font = &s_font;
    ViewSettings view(nullptr);
    view.layout = layout;
    view.lineNumbers = true;
    CountingCanvas canvas;
    int64_t calls = 0, lexed = 0, shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(cSyntax());
        storage->appendWithoutLexing(text.data(), text.data() + text.size());
        slate::SP<TokenRenderer> renderer(new TokenRenderer(storage.get(), 1800.f, layout));
        renderer->ensureLayout();
        state.ResumeTiming();
        for (int screen = 0; screen < kScreens; ++screen) {
            canvas.calls = 0;
            s_font.calls = 0;
            const LayoutBand band{0.0, screen * 1080.0, 1920.0, (screen + 1) * 1080.0};
            drawFrame(*renderer, canvas, view, band, nullptr, nullptr, nullptr);
            calls = canvas.calls + s_font.calls;
        }
        state.PauseTiming();
        const std::vector<int64_t>& invalid = storage->invalidPoints();
        lexed = invalid.empty() ? storage->size() : invalid.front();
        shown = renderer->visibleRange(LayoutBand{0.0, (kScreens - 1) * 1080.0, 1920.0,
                                                  kScreens * 1080.0}).end();
        renderer.reset();
        storage.reset();
        state.ResumeTiming();
    }
    reportFrames(state, state.iterations() * kScreens, calls);
    state.counters["lexed_bytes"] = double(lexed * 2);
    state.counters["shown_bytes"] = double(shown * 2);
}
BENCHMARK(BM_ScrollFreshFile)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
