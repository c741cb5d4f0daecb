// Highlighting every match of the find text in a 10 MB buffer: the time of
// one bounded step (what a keystroke or a frame pays) and the time until the
// steps have covered the whole buffer.
#include <benchmark/benchmark.h>

#include <memory>

#include "panels/find_settings.h"
#include "ui/options_manager.h"
#include "ui/text/package_test_support.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_test_canvas.h"

namespace {

constexpr size_t kTextUnits = 10 * 1024 * 1024;

// Find settings with a find field and a target view over 10 MB of code-like
// lines, one in sixteen holding "needle".
class HighlightScene {
public:
    HighlightScene()
    {
        OptionsManager::create();
        m_settings = std::make_unique<FindSettings>(nullptr);
        m_settings->setCanvas(&m_canvas);
        ustring text;
        text.reserve(kTextUnits + 64);
        for (int line = 0; text.size() < kTextUnits; ++line)
            text += line % 16 ? u"    int value = compute(first, second); // plain line\n"
                              : u"    int needle = compute(first, second); // the one to find\n";
        m_view = slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()))->createView(&m_canvas);
    }
    ~HighlightScene()
    {
        m_view.reset();
        m_settings.reset();
        OptionsManager::destroy();
    }

    FindSettings& settings() { return *m_settings; }
    const slate::SP<TextBufferView>& view() const { return m_view; }

private:
    package_test::MemoryPackages m_packages;
    GridRecordingCanvas m_canvas;
    std::unique_ptr<FindSettings> m_settings;
    slate::SP<TextBufferView> m_view;
};

const char16_t* const kPatterns[] = {u"needle", u"\\bcomp\\w+\\("};

void BM_HighlightOneStep(benchmark::State& state)
{
    HighlightScene scene;
    scene.settings().setFindString(kPatterns[state.range(0)]);
    for (auto _ : state)
        scene.settings().highlightMatches(scene.view());
    state.SetLabel(state.range(0) ? "regex" : "plain");
}
BENCHMARK(BM_HighlightOneStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_HighlightFullCoverage(benchmark::State& state)
{
    HighlightScene scene;
    scene.settings().setFindString(kPatterns[state.range(0)]);
    int64_t steps = 0;
    for (auto _ : state) {
        scene.settings().highlightMatches(scene.view());
        steps = 1;
        while (scene.settings().continueHighlighting())
            ++steps;
    }
    state.counters["steps"] = double(steps);
    state.SetLabel(state.range(0) ? "regex" : "plain");
}
BENCHMARK(BM_HighlightFullCoverage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
