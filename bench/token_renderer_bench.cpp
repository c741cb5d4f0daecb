// The token renderer's costs: claiming a layout over a whole file (1 and
// 10 MB of C, 50 MB when VANTREL_BENCH_50MB=1; wrapping on and off; one line
// of 1 MB), and one full-screen frame (gutter and text, 1920 x 1080) in the
// middle of a 1 MB file with 0, 1,000 and 100,000 regions in a region layer
// and with 1 and 1,000 carets. Frames report the canvas and font calls they
// make as the counter "draw_calls".
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
    std::vector<int64_t> sizes{1, 10};
    if (const char* large = std::getenv("VANTREL_BENCH_50MB"); large && std::string(large) == "1")
        sizes.push_back(50);
    for (int64_t size : sizes)
        for (int64_t wrap : {0, 1})
            benchmark->Args({size, wrap});
    // One line of 1 MB.
    for (int64_t wrap : {0, 1})
        benchmark->Args({-1, wrap});
}
BENCHMARK(BM_EnsureLayout)->Apply(layoutSizes)->Unit(benchmark::kMillisecond);

// Counts what a frame asks of the graphics interface and draws nothing.
class CountingCanvas : public BasicCanvas {
public:
    void drawTexturedQuad(const interval2&, const interval2&) override { ++calls; }
    void fillRect(const interval2&, const float[3]) override { ++calls; }
    void drawLine(const vector2&, const vector2&, const float[3]) override { ++calls; }
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
    void drawText(float, float, const uchar*, const uchar*, float, float, float, float, float,
                  float, bool) override
    {
        ++calls;
    }
    void flush() override { ++calls; }
    int64_t calls = 0;
};

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
        std::vector<int64_t> highlighted;
        GutterArguments gutter;
        gutter.canvas = &canvas;
        gutter.band = band;
        gutter.fullyHighlighted = &full;
        gutter.lineNumbers = true;
        gutter.active = true;
        gutter.settings = &view;
        renderer->drawGutter(gutter, highlighted);
        DrawArguments args;
        args.canvas = &canvas;
        args.active = true;
        args.band = band;
        args.selections = &selections;
        args.layers = &layers;
        args.settings = &view;
        args.highlightedLines = &highlighted;
        renderer->draw(args);
        calls = canvas.calls + s_font.calls;
    }
    state.counters["draw_calls"] = static_cast<double>(calls);
}
BENCHMARK(BM_Frame)
    ->Args({0, 1})
    ->Args({1000, 1})
    ->Args({100000, 1})
    ->Args({0, 1000})
    ->Unit(benchmark::kMicrosecond);

} // namespace
