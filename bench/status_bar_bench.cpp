// One frame of the status bar over a 5 MB C buffer that checks spelling
// (the test dictionary knows none of the words in its comments and strings,
// so it has tens of thousands of misspellings): the bar shows the buffer's
// misspelled-word count every frame, which sees the whole text; text not
// lexed yet (or left stale by an edit) is lexed a step per frame, and frames
// go on until the count has settled. Measured: a frame with nothing
// changed; the frames after a typed character (and its deletion) in the
// middle; after "/*" or "#if 0" typed there (and removed), the second of
// which changes the lexer state of everything after it; and the first frame
// after a load, whose text is not lexed yet, and all those until the count
// has settled.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "canvas/recording_canvas.h"
#include "texteditor/status_bar.h"
#include "ui/base_window.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/token/token_storage.h"
#include "ui/theme.h"

#include "bench_support.h"

namespace {

constexpr int64_t kTextBytes = 5 * 1024 * 1024;

struct BenchWindow : BaseWindow {
    void onCommandLine(const std::vector<ustring>&) override {}
};

// About 5 MB of UTF-16 C text, in whole lines.
const ustring& cText()
{
    static const ustring s_text = [] {
        ustring text;
        for (int64_t i = 0; static_cast<int64_t>(text.size() * sizeof(uchar)) < kTextBytes; ++i)
            text += bench_support::kCLines[i % bench_support::kCLineCount];
        return text;
    }();
    return s_text;
}

// A window 1200 pixels wide whose frame is only its status bar, for a view
// of a C buffer that checks spelling. `lexed` says whether the text is lexed
// before the first frame, as after typing it, or left as a load leaves it.
class Fixture {
public:
    explicit Fixture(bool lexed)
    {
        m_window.m_rect = interval2(0, 0, 1200, 800);
        m_window.setCanvas(&m_canvas);
        m_theme.controlFont.font = m_canvas.getFont(u"Arial 9", 0);
        m_buffer = slate::SP<TextBuffer>(new TextBuffer);
        TokenStorage& storage = *m_buffer->m_tokenStorage;
        storage.setSyntax(bench_support::cSyntax());
        const ustring& text = cText();
        if (lexed)
            storage.insert(0, text);
        else
            storage.appendWithoutLexing(text.data(), text.data() + text.size());
        m_view = m_buffer->createView(&m_canvas);
        storage.setSpellChecker(bench_support::tinySpellChecker());
        m_window.setDrawFunction([this](InputRegion* root, const interval2& rect) {
            return drawStatusBar(m_theme, root, interval2(0, rect.y1 - 20, rect.x1, rect.y1), m_view, &m_window);
        });
        m_middleLine = storage.textPoint(storage.lineBreakCount() / 2, 0);
        m_middle = m_middleLine + 4;
    }

    // One frame; false while the count has not settled.
    bool frame()
    {
        m_canvas.clearLines();
        return m_window.draw(true);
    }
    // Frames until the count has settled; the number drawn.
    int settle()
    {
        int frames = 1;
        while (!frame())
            ++frames;
        return frames;
    }

    RecordingCanvas m_canvas;
    BenchWindow m_window;
    Theme m_theme{&m_canvas, nullptr};
    slate::SP<TextBuffer> m_buffer;
    slate::SP<TextBufferView> m_view;
    int64_t m_middleLine = 0; // the start of a line near the middle
    int64_t m_middle = 0;     // inside that line's code
};

Fixture& lexedFixture()
{
    static Fixture s_fixture(true);
    return s_fixture;
}

void BM_StatusBarFrame(benchmark::State& state)
{
    Fixture& fixture = lexedFixture();
    fixture.settle();
    for (auto _ : state)
        fixture.frame();
}
BENCHMARK(BM_StatusBarFrame)->Unit(benchmark::kMicrosecond);

// The frames until the count settles after the insertion of `typed` in
// the middle (at the start of a line, or inside its code), and those after
// its removal. The counter is the frames each edit took.
void typeAndRemove(benchmark::State& state, const ustring& typed, bool lineStart)
{
    Fixture& fixture = lexedFixture();
    TokenStorage& storage = *fixture.m_buffer->m_tokenStorage;
    fixture.settle();
    const int64_t at = lineStart ? fixture.m_middleLine : fixture.m_middle;
    int64_t frames = 0;
    for (auto _ : state) {
        storage.insert(at, typed);
        frames += fixture.settle();
        storage.erase(SelectionRegion(at, at + static_cast<int64_t>(typed.size())));
        frames += fixture.settle();
    }
    state.counters["framesPerEdit"] = static_cast<double>(frames) / (2 * static_cast<double>(state.iterations()));
}

void BM_StatusBarFramesAroundATypedCharacter(benchmark::State& state) { typeAndRemove(state, u"x", false); }
BENCHMARK(BM_StatusBarFramesAroundATypedCharacter)->Unit(benchmark::kMicrosecond);

// The comment ends at the next "*/", a few lines on.
void BM_StatusBarFramesAroundAnOpenedComment(benchmark::State& state) { typeAndRemove(state, u"/*", false); }
BENCHMARK(BM_StatusBarFramesAroundAnOpenedComment)->Unit(benchmark::kMicrosecond);

// "#if 0" has no "#endif" after it: everything after it changes state.
void BM_StatusBarFramesAroundAnIfZero(benchmark::State& state) { typeAndRemove(state, u"#if 0\n", true); }
BENCHMARK(BM_StatusBarFramesAroundAnIfZero)->Unit(benchmark::kMillisecond)->Iterations(2);

// The first frame after a load, and (with the argument 1) all the frames
// until the count has settled, with their number as a counter.
void BM_StatusBarAfterLoad(benchmark::State& state)
{
    int frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<Fixture>(false);
        state.ResumeTiming();
        if (state.range(0)) {
            frames += fixture->settle();
        } else {
            fixture->frame();
            ++frames;
        }
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StatusBarAfterLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
