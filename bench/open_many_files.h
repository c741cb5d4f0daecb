// What the two benchmarks of opening 200 small files share (the native one
// with in-memory windows, the Wine one with a real window): the files, the
// times taken and the iterations around the opening. Each benchmark gives
// its own way of opening them all.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/scratch_folder.h"
#include "texteditor/text_editor_window.h"

#include "bench_support.h"

namespace open_many_files {

constexpr int kFileCount = 200;

// The 200 files, written once for the whole program into a folder named
// `folderName`; their paths as `programPath` makes them.
inline const std::vector<ustring>& smallFiles(const char* folderName,
                                              const std::function<ustring(const std::filesystem::path&)>& programPath)
{
    static test_support::ScratchFolder s_folder(folderName);
    static const std::vector<ustring> s_paths = [&] {
        std::vector<ustring> paths;
        for (const std::filesystem::path& path : bench_support::writeLanguageSamples(s_folder, kFileCount))
            paths.push_back(programPath(path));
        return paths;
    }();
    return s_paths;
}

struct OpenTimes {
    double openCallsMs = -1;
    double loadedMs = -1;
    double totalMs = -1; // negative when a file did not open or a read did not end
};

inline bool allLoaded(const TextEditorWindow& window)
{
    for (int group = 0; group < window.viewSet().numGroups(); ++group) {
        for (const ViewEntry& entry : window.viewSet().views(group)) {
            if (entry.view->buffer()->isReading())
                return false;
        }
    }
    return true;
}

// The iterations. Warm: the language services stay up, and a first opening
// that is not measured has compiled the grammars. Cold: each iteration
// brings the services up and takes them down around its opening, so the
// grammars compile while the files open, as on the first open after start.
inline void measure(benchmark::State& state, bool warm, std::unique_ptr<bench_support::LanguageServices>& languages,
                    const std::function<OpenTimes()>& openAll, const char* failure)
{
    if (warm) {
        languages = std::make_unique<bench_support::LanguageServices>();
        openAll();
    }
    std::vector<double> openCalls, loaded, totals;
    for (auto _ : state) {
        if (!warm)
            languages = std::make_unique<bench_support::LanguageServices>();
        const OpenTimes times = openAll();
        if (!warm)
            languages.reset();
        if (times.totalMs < 0) {
            state.SkipWithError(failure);
            return;
        }
        openCalls.push_back(times.openCallsMs);
        loaded.push_back(times.loadedMs);
        totals.push_back(times.totalMs);
        state.SetIterationTime(times.totalMs / 1000.0);
    }
    state.counters["open_calls_ms"] = bench_support::median(openCalls);
    state.counters["loaded_ms"] = bench_support::median(loaded);
    state.counters["total_ms"] = bench_support::median(totals);
}

} // namespace open_many_files
