// Replace All as the replace panel runs it over a 10 MB file of code-like
// lines, one in eight holding the word to replace: a plain word, a whole
// word, and a regular expression whose replacement refers to a group; and,
// as the floor, the same search and replace on a plain std::u16string.
#include <benchmark/benchmark.h>

#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/text_buffer_view.h"
#include "view_command_bench.h"

namespace {

const ustring kLines = u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int value = compute(first, second); // plain line\n"
                       u"    int needle = compute(first, second); // the one to find\n";

const ustring& text()
{
    static const ustring text = bench_support::repeatedLineText(kLines, 10);
    return text;
}

struct Replacement {
    const char* label;
    const char16_t* find;
    const char16_t* format;
    bool regex;
    bool wholeWord;
};

const Replacement kReplacements[] = {
    {"plain", u"needle", u"pin", false, false},
    {"whole word", u"needle", u"pin", false, true},
    {"regex $1", u"need(le)", u"pin$1", true, false},
};

void BM_ReplaceAllInTenMegabytes(benchmark::State& state)
{
    const Replacement& replacement = kReplacements[state.range(0)];
    FindOptions options;
    options.regex = replacement.regex;
    options.wholeWord = replacement.wholeWord;
    bench_support::commandOnFreshViews(
        state, [] { return slate::SP<TextBuffer>(new TextBuffer(text().data(), text().data() + text().size())); },
        [](const slate::SP<TextBufferView>&) {},
        [&](const ViewPtr& view) {
            replaceAllMatches(view, SelectionSet(), replacement.find, replacement.format, options, false);
            state.PauseTiming();
            if (view->buffer()->size() == static_cast<int64_t>(text().size()))
                state.SkipWithError("nothing replaced");
            state.ResumeTiming();
        });
    state.SetLabel(replacement.label);
}
BENCHMARK(BM_ReplaceAllInTenMegabytes)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: one pass of std::u16string::find copying the text with each
// match replaced.
void BM_PlainStringReplaceFloor(benchmark::State& state)
{
    const ustring needle = u"needle";
    const ustring pin = u"pin";
    for (auto _ : state) {
        const ustring& source = text();
        ustring out;
        out.reserve(source.size());
        size_t from = 0;
        for (size_t at = source.find(needle); at != ustring::npos; at = source.find(needle, from)) {
            out.append(source, from, at - from);
            out += pin;
            from = at + needle.size();
        }
        out.append(source, from, ustring::npos);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PlainStringReplaceFloor)->Unit(benchmark::kMillisecond);

} // namespace
