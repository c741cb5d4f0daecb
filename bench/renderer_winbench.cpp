// Both renderers drawing text for real under Wine (Mesa's OpenGL, and
// Wine's Direct3D 9 over it): a full-window text frame (1280 x 720, about
// 8,600 glyphs) in ASCII and in CJK, reported as frames and glyphs per
// second, and the cold first frame whose atlases are rasterised anew.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/dx9_test_device.h"
#include "canvas/renderer_harness.h"
#include "canvas/util/texture_unicode_font.h"

namespace {

const int kWidth = 1280;
const int kHeight = 720;
const int kColumns = 180;
const float kLineHeight = 15;

using HarnessFactory = std::function<std::unique_ptr<RendererHarness>(int, int)>;

const HarnessFactory kFactories[] = {
    createGLHarness,
    [](int w, int h) -> std::unique_ptr<RendererHarness> { return dx9_test::createHarness(w, h); },
};

// The lines of one screen: ASCII source text, or CJK ideographs spread over
// the whole unified block (one atlas per 256 code units they touch).
std::vector<ustring> screenLines(bool cjk)
{
    const ustring ascii = u"    for (int i = 0; i < count; ++i) total += values[i] * weight; ";
    std::vector<ustring> lines;
    int next = 0;
    for (float y = 0; y + kLineHeight <= kHeight; y += kLineHeight) {
        ustring line;
        while (int(line.size()) < (cjk ? kColumns / 2 : kColumns)) {
            if (cjk)
                line += char16_t(0x4E00 + (next++ * 97) % 0x5000);
            else
                line += ascii[size_t(next++) % ascii.size()];
        }
        lines.push_back(line);
    }
    return lines;
}

int64_t drawScreen(RendererHarness& harness, UnicodeFont* font, const std::vector<ustring>& lines)
{
    Canvas* canvas = harness.canvas();
    harness.beginFrame();
    const float background[3] = {0.15f, 0.16f, 0.13f};
    canvas->setBlendMode(BlendMode::Opaque);
    canvas->fillRect(interval2(0, 0, kWidth, kHeight), background);
    font->beginBatch(false);
    int64_t glyphs = 0;
    float y = 0;
    for (const ustring& line : lines) {
        font->drawText(0, y, line.data(), line.data() + line.size(),
                       {Colour(0.97f, 0.97f, 0.95f), background}, false);
        glyphs += int64_t(line.size());
        y += kLineHeight;
    }
    font->endBatch();
    harness.endFrame();
    return glyphs;
}

// Arguments: renderer (0 OpenGL, 1 Direct3D 9), CJK (0 or 1).
void frameArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"d3d9", "cjk"})
        ->Args({0, 0})
        ->Args({1, 0})
        ->Args({0, 1})
        ->Args({1, 1})
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

void BM_TextFrame(benchmark::State& state)
{
    std::unique_ptr<RendererHarness> harness = kFactories[state.range(0)](kWidth, kHeight);
    if (!harness->ok()) {
        state.SkipWithError("no device");
        return;
    }
    UnicodeFont* font = harness->canvas()->getFont(u"Courier New 10", 0);
    const std::vector<ustring> lines = screenLines(state.range(1) != 0);
    drawScreen(*harness, font, lines); // atlases built
    int64_t glyphs = 0;
    for (auto _ : state)
        glyphs += drawScreen(*harness, font, lines);
    state.counters["glyphs"] = benchmark::Counter(double(glyphs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TextFrame)
    ->Apply(frameArguments);

void BM_ColdTextFrame(benchmark::State& state)
{
    std::unique_ptr<RendererHarness> harness = kFactories[state.range(0)](kWidth, kHeight);
    if (!harness->ok()) {
        state.SkipWithError("no device");
        return;
    }
    MultiFont* font = dynamic_cast<MultiFont*>(harness->canvas()->getFont(u"Courier New 10", 0));
    const std::vector<ustring> lines = screenLines(state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        font->clearGlyphs();
        state.ResumeTiming();
        drawScreen(*harness, font, lines);
    }
}
BENCHMARK(BM_ColdTextFrame)
    ->Apply(frameArguments);

} // namespace
