// A single line of 1 or 10 MB of JavaScript, as minified bundles are: the first
// frame after the text was read (the unlexed load, the renderer's layout and
// drawing the first screen, which lexes only what it shows), and a further
// screen read just past what is lexed, which goes on from where the first
// one stopped, and typing on the first screen. Each reports "frame_time"
// (seconds per first frame, per screen read or per keystroke's frame).
#include <benchmark/benchmark.h>

#include <memory>

#include "support/blank_canvas.h"
#include "support/fixed_advance_font.h"
#include "support/scratch_folder.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/view_settings.h"

#include "bench_support.h"

namespace {

slate::SP<Syntax> javaScriptSyntax()
{
    static slate::SP<Syntax> s_syntax = [] {
        test_support::ScratchFolder folder("vantrel-bench-grammar");
        const ustring copy = folder.write(
            "javascript.tmLanguage",
            test_support::readFile(test_support::dataPath("grammars/javascript.tmLanguage")));
        static SyntaxLoader loader;
        return loader.loadSyntax(copy);
    }();
    return s_syntax;
}

// About `units` units on one line: the lines of the JavaScript sample that
// hold no comment (which would run to the end of the joined line), joined
// by blanks and repeated.
const ustring& longJavaScriptLine(int64_t units)
{
    static ustring s_line;
    if (static_cast<int64_t>(s_line.size()) >= units)
        return s_line;
    const ustring sample =
        toUstring(test_support::readFile(test_support::dataPath("lexing/docs_index.js")));
    ustring joined;
    for (size_t begin = 0; begin < sample.size();) {
        size_t end = sample.find(u'\n', begin);
        end = end == ustring::npos ? sample.size() : end;
        const ustring line = sample.substr(begin, end - begin);
        if (line.find(u"//") == ustring::npos && line.find(u"/*") == ustring::npos &&
            line.find(u"*/") == ustring::npos)
            joined += line + u" ";
        begin = end + 1;
    }
    s_line.clear();
    s_line.reserve(static_cast<size_t>(units) + joined.size());
    while (static_cast<int64_t>(s_line.size()) < units)
        s_line += joined;
    return s_line;
}


FixedAdvanceFont& benchFont()
{
    static FixedAdvanceFont s_font(8.f, 16.f);
    return s_font;
}

class NullCanvas : public BlankCanvas {
protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override
    {
        return &benchFont();
    }
};

ViewSettings wrappingView()
{
    ViewSettings view(nullptr);
    view.layout.font = &benchFont();
    view.layout.tabWidth = 32.f;
    view.layout.wordWrap = true;
    view.layout.indentSubsequentLines = true;
    view.lineNumbers = true;
    return view;
}

void drawScreen(TokenRenderer& renderer, Canvas& canvas, const ViewSettings& view, double top)
{
    const LayoutBand band{0.0, top, 1920.0, top + 1080.0};
    std::vector<int64_t> highlighted;
    renderer.drawGutter(bench_support::viewGutter(canvas, view, band), highlighted);
    renderer.draw(bench_support::viewText(canvas, view, band, highlighted));
}

void reportFrames(benchmark::State& state, int64_t frames)
{
    state.counters["frame_time"] = benchmark::Counter(
        double(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FirstFrameOfLongLine(benchmark::State& state)
{
    const int64_t units = state.range(0) << 20;
    const ustring text = longJavaScriptLine(units).substr(0, static_cast<size_t>(units));
    const ViewSettings view = wrappingView();
    NullCanvas canvas;
    for (auto _ : state) {
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(javaScriptSyntax());
        storage->appendWithoutLexing(text.data(), text.data() + text.size());
        slate::SP<TokenRenderer> renderer(new TokenRenderer(storage.get(), 1800.f, view.layout));
        drawScreen(*renderer, canvas, view, 0.0);
        state.PauseTiming();
        renderer.reset();
        storage.reset();
        state.ResumeTiming();
    }
    reportFrames(state, state.iterations());
}
// Lines of 1 and 10 MB (the argument).
BENCHMARK(BM_FirstFrameOfLongLine)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Paging down screen after screen from the top of the long line: each
// screen lexes on from where the one before stopped.
void BM_NextScreenOfLongLine(benchmark::State& state)
{
    constexpr int kScreens = 50;
    const int64_t units = state.range(0) << 20;
    const ustring text = longJavaScriptLine(units).substr(0, static_cast<size_t>(units));
    const ViewSettings view = wrappingView();
    NullCanvas canvas;
    for (auto _ : state) {
        state.PauseTiming();
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(javaScriptSyntax());
        storage->appendWithoutLexing(text.data(), text.data() + text.size());
        slate::SP<TokenRenderer> renderer(new TokenRenderer(storage.get(), 1800.f, view.layout));
        drawScreen(*renderer, canvas, view, 0.0);
        state.ResumeTiming();
        for (int screen = 1; screen <= kScreens; ++screen)
            drawScreen(*renderer, canvas, view, screen * 1080.0);
        state.PauseTiming();
        renderer.reset();
        storage.reset();
        state.ResumeTiming();
    }
    reportFrames(state, state.iterations() * kScreens);
}
BENCHMARK(BM_NextScreenOfLongLine)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Typing a character near the start of the long line (column 2000, on the
// first screen) and drawing that screen again: the edit lexes the line only
// a little past itself, and the frame as far as it shows.
void BM_TypeInLongLine(benchmark::State& state)
{
    const int64_t units = state.range(0) << 20;
    const ustring text = longJavaScriptLine(units).substr(0, static_cast<size_t>(units));
    const ViewSettings view = wrappingView();
    NullCanvas canvas;
    auto storage = std::make_unique<TokenStorage>();
    storage->setSyntax(javaScriptSyntax());
    storage->appendWithoutLexing(text.data(), text.data() + text.size());
    slate::SP<TokenRenderer> renderer(new TokenRenderer(storage.get(), 1800.f, view.layout));
    drawScreen(*renderer, canvas, view, 0.0);
    const ustring typed = u"x";
    for (auto _ : state) {
        storage->insert(2000, typed);
        drawScreen(*renderer, canvas, view, 0.0);
        state.PauseTiming();
        storage->erase(SelectionRegion(2000, 2001));
        drawScreen(*renderer, canvas, view, 0.0);
        state.ResumeTiming();
    }
    reportFrames(state, state.iterations());
}
BENCHMARK(BM_TypeInLongLine)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
