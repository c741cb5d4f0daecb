// The graphics interfaces drawing a full-screen frame of a view for real
// (renderer_winbench.cpp times plain lines of text through the fonts): a C
// file coloured by a colour scheme, gutter and text, drawn by the token
// renderer through each renderer's window peer into a 1920 x 1080 window,
// with the fonts mapped in the Wine prefix ("Courier New 10" is Liberation
// Mono). Each frame ends by waiting for the interface to finish drawing
// (reading back a pixel on OpenGL, an event query on Direct3D 9) and
// presenting.
//
//   BM_TokenFrame: a frame whose glyphs are all in atlases already.
//     Counters: "frame_time" (seconds per frame), "glyphs" (glyphs drawn
//     per second) and "glyphs_per_frame". The interfaces draw on threads of
//     their own (Mesa's llvmpipe), so times are wall-clock times.
//   BM_ColdTokenFrame: the first frame after every glyph atlas was
//     dropped, so the frame rasterises (GDI) and uploads the atlases it
//     needs, for ASCII text (the C file) and for CJK text (ideographs from
//     U+4E00 on, 120 to a line). Counter "atlases": atlases built per frame.
//
// Run under Wine with a display of the window's size:
//   xvfb-run -a -s "-screen 0 1920x1080x24" cmake/run-wine.sh --prefix $PWD/build/wineprefix \
//       $PWD/build/vantrel_wine_bench.exe.so
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "canvas/canvas.h"
#include "canvas/dx9_peer_readback.h"
#include "canvas/gl_test_window.h"
#include "canvas/util/texture_unicode_font.h"
#include "filesystem/file_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/statistics.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/view_settings.h"
#include "window_manager/window_peer.h"
#include "window_manager/windows/dx9_window_peer.h"
#include "window_manager/windows/gl_window_peer.h"

#include "bench_support.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// One graphics interface: how to make its peer and how to wait until what
// it drew is done.
struct Renderer {
    const char* name;
    std::function<std::unique_ptr<WindowPeer>()> createPeer;
    std::function<void(WindowPeer& peer)> finish;
};

const Renderer kRenderers[] = {
    {"OpenGL", [] { return std::unique_ptr<WindowPeer>(new GLWindowPeer); },
     [](WindowPeer&) { gl_test::readBackBuffer(1, 1); }},
    {"Direct3D9", [] { return std::unique_ptr<WindowPeer>(new DX9WindowPeer(true)); },
     dx9_test::finish},
};

// Forwards to the canvas's font and counts the glyphs it is asked to draw
// (code units other than blanks, tabs and line ends).
class GlyphCountingFont : public UnicodeFont {
public:
    explicit GlyphCountingFont(UnicodeFont* font) : m_font(font) { m_lineHeight = font->lineHeight(); }
    void drawText(float x, float y, const uchar* first, const uchar* end,
                  const ColourPair& colours, bool whiteSpace) override
    {
        for (const uchar* unit = first; unit != end; ++unit)
            glyphs += *unit != u' ' && *unit != u'\t' && *unit != u'\n';
        m_font->drawText(x, y, first, end, colours, whiteSpace);
    }
    void beginBatch(bool filtered) override { m_font->beginBatch(filtered); }
    void endBatch() override { m_font->endBatch(); }
    void flush() override { m_font->flush(); }
    void getAdvances(int first, int count, float* out) override { m_font->getAdvances(first, count, out); }

    int64_t glyphs = 0;

private:
    UnicodeFont* m_font;
};

// About 1 MB of C, or of ideographs in lines of 120.
ustring frameText(bool cjk)
{
    ustring text;
    if (cjk) {
        for (int i = 0; text.size() < (1u << 20); ++i) {
            text += uchar(0x4E00 + i % 20000);
            if (i % 120 == 119)
                text += u'\n';
        }
        return text;
    }
    for (int i = 0; text.size() < (1u << 20); ++i)
        text += bench_support::kCLines[i % bench_support::kCLineCount];
    return text;
}

// A window, its peer and a view of a text, ready to draw frames.
class FrameRig {
public:
    FrameRig(const Renderer& renderer, bool cjk) : m_renderer(renderer)
    {
        // A copy of the scheme, so that its cache file stays out of the tree.
        m_folder.write("light-plus.tmTheme",
                       test_support::readFile(test_support::dataPath("themes/light-plus.tmTheme")));
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/",
                                        test_support::createFileSystem(m_folder.path().string()));
        slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        scheme->loadFromFile(u"Packages/light-plus.tmTheme");
        m_styler = new ScopeStyler(scheme);

        m_window = gl_test::createWindow(kWidth, kHeight);
        m_peer = renderer.createPeer();
        if (!m_window || !m_peer->create(m_window))
            return;
        m_view.reset(new ViewSettings(m_peer->canvas()));
        m_font.reset(new GlyphCountingFont(m_view->layout.font));
        const SchemeColours& colours = m_styler->colours();
        std::copy(colours.background, colours.background + 3, m_view->backgroundColour);
        m_view->layout.font = m_font.get();
        m_view->layout.tabWidth = 4 * m_font->advance(u'm');
        m_view->lineNumbers = true;
        m_storage.reset(new TokenStorage);
        m_storage->setSyntax(bench_support::cSyntax());
        m_storage->setScopeStyler(m_styler);
        m_storage->insert(0, frameText(cjk));
        m_textRenderer = new TokenRenderer(m_storage.get(), float(kWidth), m_view->layout);
        m_textRenderer->ensureLayout();
    }
    ~FrameRig()
    {
        m_textRenderer.reset();
        m_storage.reset();
        m_font.reset();
        m_view.reset();
        m_peer.reset();
        if (m_window)
            gl_test::destroyWindow(m_window);
        m_styler.reset();
        slate::FileManager::destroy();
    }

    bool ready() const { return m_textRenderer != nullptr; }
    int64_t glyphs() const { return m_font->glyphs; }
    // The canvas's own font, whose atlases a cold frame drops.
    MultiFont* atlasFont() const { return dynamic_cast<MultiFont*>(m_peer->canvas()->getFont(kDefaultViewFont, 0)); }

    bool drawFrame()
    {
        if (m_peer->beginDraw(kWidth, kHeight) != WindowPeer::DrawResult::Frame)
            return false;
        Canvas& canvas = *m_peer->canvas();
        canvas.fillRect(interval2(0, 0, kWidth, kHeight), m_view->backgroundColour);
        const LayoutBand band{0.0, 0.0, double(kWidth), double(kHeight)};
        std::vector<int64_t> highlighted;
        m_textRenderer->drawGutter(bench_support::viewGutter(canvas, *m_view, band), highlighted);
        const float gutterWidth = m_textRenderer->gutterWidth(true);
        Matrix4 shifted = Matrix4::identity();
        shifted.m[12] = gutterWidth;
        canvas.setTransform(shifted);
        const LayoutBand textBand{0.0, 0.0, kWidth - gutterWidth, double(kHeight)};
        m_textRenderer->draw(bench_support::viewText(canvas, *m_view, textBand, highlighted));
        canvas.setTransform(Matrix4::identity());
        m_renderer.finish(*m_peer);
        m_peer->endDraw();
        return true;
    }

private:
    const Renderer& m_renderer;
    test_support::ScratchFolder m_folder{"vantrel-bench-theme"};
    slate::SP<ScopeStyler> m_styler;
    platform::WindowHandle m_window = nullptr;
    std::unique_ptr<WindowPeer> m_peer;
    std::unique_ptr<ViewSettings> m_view;
    std::unique_ptr<GlyphCountingFont> m_font;
    std::unique_ptr<TokenStorage> m_storage;
    slate::SP<TokenRenderer> m_textRenderer;
};

void BM_TokenFrame(benchmark::State& state, const Renderer* renderer)
{
    FrameRig rig(*renderer, false);
    if (!rig.ready() || !rig.drawFrame()) {
        state.SkipWithError("the renderer cannot draw here");
        return;
    }
    const int64_t before = rig.glyphs();
    for (auto _ : state)
        rig.drawFrame();
    state.counters["frame_time"] = benchmark::Counter(double(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["glyphs"] = benchmark::Counter(double(rig.glyphs() - before), benchmark::Counter::kIsRate);
    state.counters["glyphs_per_frame"] =
        benchmark::Counter(double(rig.glyphs() - before), benchmark::Counter::kAvgIterations);
}

void BM_ColdTokenFrame(benchmark::State& state, const Renderer* renderer, bool cjk)
{
    FrameRig rig(*renderer, cjk);
    if (!rig.ready() || !rig.drawFrame() || !rig.atlasFont()) {
        state.SkipWithError("the renderer cannot draw here");
        return;
    }
    const int64_t atlasesBefore = g_statFontTextureLoad.count;
    for (auto _ : state) {
        state.PauseTiming();
        rig.atlasFont()->clearGlyphs();
        state.ResumeTiming();
        rig.drawFrame();
    }
    state.counters["atlases"] = benchmark::Counter(double(g_statFontTextureLoad.count - atlasesBefore),
                                                   benchmark::Counter::kAvgIterations);
}

const bool s_registered = [] {
    for (const Renderer& renderer : kRenderers) {
        const std::string name = renderer.name;
        benchmark::RegisterBenchmark(("BM_TokenFrame/" + name).c_str(), BM_TokenFrame, &renderer)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        for (bool cjk : {false, true})
            benchmark::RegisterBenchmark(("BM_ColdTokenFrame/" + name + (cjk ? "/CJK" : "/ASCII")).c_str(),
                                         BM_ColdTokenFrame, &renderer, cjk)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    return true;
}();

} // namespace
