// The find panel in an editor window over a 10 MB buffer of code-like lines
// (one in sixteen holding "needle", and "haystack_end" once, on the last
// line), driven as the user drives it: keys typed into the focused find
// field, frames drawn by the window.
//
// BM_KeystrokeToHighlightedFrame: from the key that completes "needle" in
// the find field to the end of the frame in which the highlighting of every
// match is finished (manual time). The incremental search and the first
// bounded highlighting step run in the keystroke; each following frame runs
// one more step. Counters: "keystroke_ms", the keystroke alone (what holds
// the window up), and "frames", the frames until the highlighting is done.
//
// BM_FindNextAcrossTheBuffer: "findNext" from the buffer's start to
// "haystack_end", so the search crosses all 10 MB; BM_PlainSearchFloor is
// std::u16string::find for the same text over the same units, the floor a
// search cannot beat.
//
// The window is the program's editor window with a window manager whose
// windows exist only in memory (a recording canvas with fixed-advance
// fonts), so the measure is the editor's own work and not a renderer's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "input/binding_map.h"
#include "panels/find_panel.h"
#include "panels/find_settings.h"
#include "support/memory_window_manager.h"
#include "support/scratch_folder.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/options_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/unicode.h"

#include "bench_support.h"

namespace {

using bench_support::millisecondsBetween;
using Clock = std::chrono::steady_clock;

constexpr size_t kTextUnits = 10 * 1024 * 1024;
const ustring kRareWord = u"haystack_end";

ustring benchmarkText()
{
    ustring text;
    text.reserve(kTextUnits + 64);
    for (int line = 0; text.size() < kTextUnits; ++line)
        text += line % 16 ? u"    int value = compute(first, second); // plain line\n"
                          : u"    int needle = compute(first, second); // the one to find\n";
    text += kRareWord + u"\n";
    return text;
}

// An application with one window whose active view holds the text, the
// find panel shown and its field focused.
class FindScene {
public:
    FindScene() : m_debugOutput(g_debugOutputEnabled.exchange(false))
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"UserOptions/",
                                        slate::PosixFileSystem::create(toUstring(m_userOptions.path().string())));
        OptionsManager::create();
        BindingSourceManager::create();
        WindowManager::create(new test_support::MemoryWindowManager(1920, 1080));
        m_application = std::make_unique<TextEditorApplication>(true);
        m_application->setQuitFunction([](int) {});
        m_window = m_application->newWindow(u"", false);
        m_view = m_window->newFile();
        const ustring text = benchmarkText();
        m_view->buffer()->insertCharacters(0, text, true);
        m_view->mutableSel() = SelectionSet(SelectionRegion(0));
        m_panel = static_cast<FindPanel*>(m_window->panelHost().panel(u"find"));
        m_window->draw(true);
        m_window->panelHost().showPanel(m_panel);
        frame();
        frame();
    }
    ~FindScene()
    {
        m_view.reset();
        // The windows go with the manager, before the application.
        WindowManager::destroy();
        m_application.reset();
        clearMainThreadQueue();
        BindingSourceManager::destroy();
        OptionsManager::destroy();
        slate::FileManager::destroy();
        g_debugOutputEnabled = m_debugOutput;
    }

    bool frame()
    {
        static_cast<RecordingCanvas*>(m_window->canvas())->clearLines();
        return m_window->draw(true);
    }
    void type(char16_t character)
    {
        CharacterEvent event;
        event.character = character;
        m_window->onCharacter(event);
    }

    FindSettings& settings() { return m_window->findSettings(); }
    FindPanel& panel() { return *m_panel; }
    TextBufferView& view() { return *m_view; }

private:
    bool m_debugOutput;
    test_support::ScratchFolder m_userOptions{"vantrel-find-panel-bench"};
    std::unique_ptr<TextEditorApplication> m_application;
    TextEditorWindow* m_window = nullptr;
    slate::SP<TextBufferView> m_view;
    FindPanel* m_panel = nullptr;
};

void BM_KeystrokeToHighlightedFrame(benchmark::State& state)
{
    FindScene scene;
    double keystrokeMs = 0;
    int frames = 0;
    for (auto _ : state) {
        scene.settings().setFindString(u"needl");
        scene.view().mutableSel() = SelectionSet(SelectionRegion(0));
        const auto start = Clock::now();
        scene.type(u'e');
        keystrokeMs = millisecondsBetween(start, Clock::now());
        frames = 0;
        do {
            scene.frame();
            ++frames;
        } while (scene.settings().highlightPending());
        state.SetIterationTime(millisecondsBetween(start, Clock::now()) / 1000.0);
    }
    if (scene.settings().findString() != u"needle" || scene.view().sel()[0] != SelectionRegion(8, 14))
        state.SkipWithError("the keystroke did not search");
    state.counters["keystroke_ms"] = keystrokeMs;
    state.counters["frames"] = frames;
}
BENCHMARK(BM_KeystrokeToHighlightedFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_FindNextAcrossTheBuffer(benchmark::State& state)
{
    FindScene scene;
    scene.settings().setFindString(kRareWord);
    for (auto _ : state) {
        scene.view().mutableSel() = SelectionSet(SelectionRegion(0));
        scene.panel().findNext(false);
    }
    const int64_t size = scene.view().buffer()->size();
    if (scene.view().sel()[0] != SelectionRegion(size - 1 - kRareWord.size(), size - 1))
        state.SkipWithError("find next did not reach the word");
}
BENCHMARK(BM_FindNextAcrossTheBuffer)->Unit(benchmark::kMillisecond);

void BM_PlainSearchFloor(benchmark::State& state)
{
    const ustring text = benchmarkText();
    size_t found = 0;
    for (auto _ : state) {
        found = text.find(kRareWord);
        benchmark::DoNotOptimize(found);
    }
    if (found != text.size() - 1 - kRareWord.size())
        state.SkipWithError("the word was not found");
}
BENCHMARK(BM_PlainSearchFloor)->Unit(benchmark::kMillisecond);

} // namespace
