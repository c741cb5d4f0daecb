// Set-up shared by the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "ui/text/spell_checker.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/view_settings.h"
#include "ui/unicode.h"

namespace bench_support {

// The C grammar, loaded once for the whole benchmark program. It is read
// from a copy of tests/data/grammars/c.tmLanguage in a scratch folder, so
// that its cache file stays out of the tree.
inline slate::SP<Syntax> cSyntax()
{
    static slate::SP<Syntax> s_syntax = [] {
        test_support::ScratchFolder folder("vantrel-bench-grammar");
        const ustring copy = folder.write(
            "c.tmLanguage", test_support::readFile(test_support::dataPath("grammars/c.tmLanguage")));
        static SyntaxLoader loader;
        return loader.loadSyntax(copy);
    }();
    return s_syntax;
}

// The test dictionary (tests/data/spelling/tiny.dic), loaded once, which
// knows none of the words in the C text's comments and strings: the first
// misspelling of kCLines is on their third line.
inline slate::SP<SpellChecker> tinySpellChecker()
{
    static slate::SP<SpellChecker> s_checker;
    if (!s_checker) {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(
            u"Packages/Spelling",
            slate::PosixFileSystem::create(toUstring(test_support::dataPath("spelling").string())));
        s_checker = slate::SP<SpellChecker>(new SpellChecker);
        s_checker->load(u"Packages/Spelling/tiny.dic", {});
        slate::FileManager::destroy();
    }
    return s_checker;
}

// The middle of `values`, the upper one of an even count; 0 for none.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double millisecondsBetween(std::chrono::steady_clock::time_point from,
                                  std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// `count` small files of many languages in `folder`: the samples of
// tests/data/lexing (2 to 7 KB each) copied round-robin under numbered
// names that keep their extensions, so that each picks its grammar.
inline std::vector<std::filesystem::path> writeLanguageSamples(const test_support::ScratchFolder& folder, int count)
{
    std::vector<std::filesystem::path> samples;
    for (const auto& entry : std::filesystem::directory_iterator(test_support::dataPath("lexing"))) {
        if (entry.path().extension() != ".jsonl" && entry.path().filename() != "README.md")
            samples.push_back(entry.path());
    }
    std::sort(samples.begin(), samples.end());
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < count && !samples.empty(); ++i) {
        const std::filesystem::path& sample = samples[i % samples.size()];
        const std::string name = "file" + std::to_string(i) + "_" + sample.filename().string();
        folder.write(name, test_support::readFile(sample));
        paths.push_back(folder / name);
    }
    return paths;
}

// The language services start-up installs (file types, grammars, colour
// schemes), for benchmarks that open files as the editor does: a file's
// extension then picks its grammar and the grammar is compiled on first use.
// Make it once the file manager has mounted "Packages/" and the options
// manager exists; it removes the services again when it goes.
class LanguageServices {
public:
    LanguageServices()
    {
        SyntaxManager::create();
        SyntaxLoader::create();
        Styler::create();
    }
    ~LanguageServices()
    {
        SyntaxManager::destroy();
        Styler::destroy();
        SyntaxLoader::destroy();
    }
    LanguageServices(const LanguageServices&) = delete;
    LanguageServices& operator=(const LanguageServices&) = delete;
};

// The lines the benchmarks' C text cycles through, 28 units on average.
inline const char16_t* const kCLines[] = {
    u"int main(int argc) {\n",
    u"    x = f(y, 2) + z;\n",
    u"    /* note */ if (a) b++;\n",
    u"    printf(\"%d\\n\", x);\n",
    u"}\n",
};
inline constexpr int kCLineCount = 5;

// What an active view's frame over `band` asks of the token renderer: the
// gutter with line numbers, then the text, which shows the line highlight
// where the gutter's drawGutter put it in `highlighted`.
inline GutterArguments viewGutter(Canvas& canvas, const ViewSettings& view, const LayoutBand& band)
{
    GutterArguments gutter;
    gutter.canvas = &canvas;
    gutter.band = band;
    gutter.lineNumbers = true;
    gutter.active = true;
    gutter.settings = &view;
    return gutter;
}
inline DrawArguments viewText(Canvas& canvas, const ViewSettings& view, const LayoutBand& band,
                              const std::vector<int64_t>& highlighted)
{
    DrawArguments args;
    args.canvas = &canvas;
    args.active = true;
    args.band = band;
    args.settings = &view;
    args.highlightedLines = &highlighted;
    return args;
}

} // namespace bench_support
