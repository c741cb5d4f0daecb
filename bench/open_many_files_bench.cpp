// Opening 200 small files at once into one editor window: the files are the
// language samples of tests/data/lexing (C, C++, Go, JavaScript, Python,
// shell, CSS, HTML, XML, YAML, JSON, Markdown, make; 2 to 7 KB each) copied
// round-robin under 200 names, so that each file's extension picks its
// grammar (bench_support::writeLanguageSamples). The same opening in a real
// window under Wine is open_many_files_winbench.cpp. The window is the program's editor window over the shipped
// packages, with a window manager whose windows exist only in memory (a
// recording canvas with fixed-advance fonts), so the measure is the
// editor's own work and not a renderer's.
//
// Each iteration makes a fresh application and window (not timed), then
// opens every file as the user would (openFile with kOpenFromUser, one after
// another, as a multiple choice in the open dialog does), delivers what the
// reading threads post to the main thread until every buffer holds its
// text, and draws one frame of the window. The time is that span (manual
// time). "/cold" makes the language services anew for every iteration, so
// every grammar is compiled during the opening, as on the first open after
// start-up; "/warm" keeps them, with every grammar compiled before.
//
// Counters, medians over the iterations, in milliseconds from the first
// openFile call: "open_calls_ms" when the last openFile call returned,
// "loaded_ms" when every buffer held its text, "total_ms" the end of the
// frame (the target is 3000 at most).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "input/binding_map.h"
#include "support/memory_window_manager.h"
#include "support/scratch_folder.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/options_manager.h"
#include "ui/text/view_test_canvas.h"
#include "ui/unicode.h"

#include "bench_support.h"
#include "open_many_files.h"

namespace {

using namespace open_many_files;

using bench_support::millisecondsBetween;
using Clock = std::chrono::steady_clock;

// A read that has not ended by then ends the benchmark.
constexpr auto kWatchdog = std::chrono::seconds(60);

// The services an editor window needs, over the shipped packages and a
// scratch folder of user options; the language services only while
// `languages` is set.
class Session {
public:
    Session() : m_debugOutput(g_debugOutputEnabled.exchange(false))
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", slate::PosixFileSystem::create(toUstring(VANTREL_PACKAGES_DIR)));
        slate::FileManager::get().mount(u"UserOptions/",
                                        slate::PosixFileSystem::create(toUstring(m_userOptions.path().string())));
        OptionsManager::create();
        BindingSourceManager::create();
    }
    ~Session()
    {
        languages.reset();
        clearMainThreadQueue();
        BindingSourceManager::destroy();
        OptionsManager::destroy();
        slate::FileManager::destroy();
        g_debugOutputEnabled = m_debugOutput;
    }

    std::unique_ptr<bench_support::LanguageServices> languages;

private:
    bool m_debugOutput;
    test_support::ScratchFolder m_userOptions{"vantrel-open-many-options"};
};

// Opens every file in a new window of a new application and draws one
// frame; totalMs stays negative when a file did not open or a read did not
// end in time.
OpenTimes openAll(const std::vector<ustring>& paths)
{
    OpenTimes times;
    auto* windowManager = new test_support::MemoryWindowManager(1920, 1080);
    WindowManager::create(windowManager);
    {
        TextEditorApplication application(true);
        application.setQuitFunction([](int) {});
        TextEditorWindow* window = application.newWindow(u"", false);
        if (window) {
            const auto start = Clock::now();
            bool opened = true;
            for (const ustring& path : paths)
                opened = window->openFile(path, FileEncoding(), TextEditorWindow::kOpenFromUser) && opened;
            times.openCallsMs = millisecondsBetween(start, Clock::now());
            while (!allLoaded(*window) && Clock::now() - start < kWatchdog) {
                runMainThreadQueue();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            if (opened && allLoaded(*window)) {
                times.loadedMs = millisecondsBetween(start, Clock::now());
                window->draw(true);
                times.totalMs = millisecondsBetween(start, Clock::now());
            }
        }
        // The windows go with the manager, before the application.
        WindowManager::destroy();
    }
    return times;
}

void BM_OpenManyFiles(benchmark::State& state, bool warm)
{
    const std::vector<ustring>& paths =
        smallFiles("vantrel-open-many", [](const std::filesystem::path& path) { return toUstring(path.string()); });
    Session session;
    measure(state, warm, session.languages, [&paths] { return openAll(paths); },
            "a file did not open or its read did not end");
}

BENCHMARK_CAPTURE(BM_OpenManyFiles, cold, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_OpenManyFiles, warm, true)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
