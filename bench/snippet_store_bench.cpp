// What the snippet store costs at start-up: reading 2,000 snippet files from
// memory (the loader thread's work), then installing them, which builds the
// menu and rebuilds a window's key map with one binding per trigger. The
// budget for both is 200 ms once the files are read from disk.
#include <benchmark/benchmark.h>

#include <string>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"
#include "input/binding_map.h"
#include "ui/text/snippet_manager.h"
#include "ui/unicode.h"

namespace {

constexpr int kSnippetFiles = 2000;

// Packages of 100 snippets each, in two directories, a third of them
// property lists; triggers repeat every 500 files, so some keys offer a
// choice.
class SnippetPackages {
public:
    SnippetPackages()
    {
        auto* files = new testing_support::MemoryFileSystem;
        for (int i = 0; i < kSnippetFiles; ++i) {
            const std::string package = "Package" + std::to_string(i / 100);
            const std::string directory = i % 2 ? "/loops/" : "/blocks/";
            const std::string trigger = "t" + std::to_string(i % 500);
            const std::string name = "snippet" + std::to_string(i);
            if (i % 3 == 0) {
                files->addFile(toUstring(package + directory + name + ".tmSnippet"),
                               "<plist version=\"1.0\"><dict><key>name</key><string>" + name +
                                   "</string><key>content</key><string>for (${1:i} = 0; $1 &lt; ${2:n}; ++$1) {\n"
                                   "\t$0\n}</string><key>tabTrigger</key><string>" + trigger +
                                   "</string><key>scope</key><string>source.c</string></dict></plist>");
            } else {
                files->addFile(toUstring(package + directory + name + ".vantrel-snippet"),
                               "<snippet>\n<description>" + name + "</description>\n<tabTrigger>" + trigger +
                                   "</tabTrigger>\n<scope>source.c</scope>\n<content>\nwhile (${1:cond}) {\n"
                                   "\t$0\n}\n</content>\n</snippet>\n");
            }
        }
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", files);
        BindingSourceManager::create();
        SnippetManager::create();
    }
    ~SnippetPackages()
    {
        SnippetManager::destroy();
        BindingSourceManager::destroy();
        slate::FileManager::destroy();
    }
    SnippetPackages(const SnippetPackages&) = delete;
    SnippetPackages& operator=(const SnippetPackages&) = delete;
};

void loadAndBind2000Snippets(benchmark::State& state)
{
    SnippetPackages packages;
    BindingMap map;
    map.setKeymapName(u"Default");
    for (auto _ : state) {
        SnippetMap snippets = SnippetManager::loadPackageSnippets();
        SnippetManager::get().attachSnippets(std::move(snippets));
    }
    benchmark::DoNotOptimize(map.keyText(u"insertSnippet \"Packages/Package0/blocks/snippet0.tmSnippet\""));
}
BENCHMARK(loadAndBind2000Snippets)->Unit(benchmark::kMillisecond);

void rebuildBindingsOf2000Snippets(benchmark::State& state)
{
    SnippetPackages packages;
    BindingMap map;
    map.setKeymapName(u"Default");
    SnippetManager::get().attachSnippets(SnippetManager::loadPackageSnippets());
    for (auto _ : state) {
        SnippetManager::get().buildSnippetMenu();
        BindingSourceManager::get().reloadAll();
    }
}
BENCHMARK(rebuildBindingsOf2000Snippets)->Unit(benchmark::kMillisecond);

} // namespace
