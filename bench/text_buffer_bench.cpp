// The text buffer under the costs of editing with undo: typing one character
// at 1, 1,000 and 10,000 carets (one caret per line, as a column selection
// makes them) and over as many selections, undoing the deletion of a huge
// selected text, and the heap the undo history keeps after many
// single-character edits on one line.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"

namespace {

slate::SP<TextBuffer> makeBuffer(const ustring& text)
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

// Types one character at every caret, last first, as the typing command does;
// consecutive keystrokes merge into one group.
void typeCharacter(const slate::SP<TextBuffer>& buffer, const ViewState& state)
{
    ScopedUndoGroup group(u"insertAndDecodeCharacters \"a\"", buffer, true, false);
    const SelectionSet& sel = state.sel();
    for (size_t i = sel.size(); i-- > 0;)
        buffer->insertCharacters(sel[i].b, u"a");
}

void BM_TypeWithCarets(benchmark::State& state)
{
    const int64_t carets = state.range(0);
    ustring text;
    for (int64_t i = 0; i < carets; ++i)
        text += u"    int value = compute(index);\n";
    slate::SP<TextBuffer> buffer = makeBuffer(text);
    slate::SP<ViewState> view = buffer->createViewState();
    SelectionSet& sel = view->mutableSel();
    sel.clear();
    for (int64_t i = 0; i < carets; ++i)
        sel.add(SelectionRegion(buffer->textPoint(static_cast<int32_t>(i), 4)));
    // Every 32 keystrokes the typed text is undone (untimed), so that lines
    // stay short and the merged group's argument stays a word long.
    int typed = 0;
    for (auto _ : state) {
        typeCharacter(buffer, *view);
        if (++typed == 32) {
            state.PauseTiming();
            buffer->undo();
            buffer->clearUndoHistory();
            typed = 0;
            state.ResumeTiming();
        }
    }
    state.counters["carets"] = static_cast<double>(carets);
}
BENCHMARK(BM_TypeWithCarets)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Types one character over a word selected on every line: each selection is
// erased and the character inserted in its place, last first. Undoing the
// keystroke (untimed) brings the selections back.
void BM_TypeOverSelections(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    ustring text;
    for (int64_t i = 0; i < lines; ++i)
        text += u"    int value = compute(index);\n";
    slate::SP<TextBuffer> buffer = makeBuffer(text);
    slate::SP<ViewState> view = buffer->createViewState();
    SelectionSet& sel = view->mutableSel();
    sel.clear();
    for (int64_t i = 0; i < lines; ++i)
        sel.add(SelectionRegion(buffer->textPoint(static_cast<int32_t>(i), 8),
                                buffer->textPoint(static_cast<int32_t>(i), 13)));
    for (auto _ : state) {
        {
            ScopedUndoGroup group(u"insertAndDecodeCharacters \"a\"", buffer, true, false);
            const SelectionSet& current = view->sel();
            for (size_t i = current.size(); i-- > 0;) {
                const SelectionRegion region = current[i];
                buffer->eraseCharacters(region);
                buffer->insertCharacters(region.begin(), u"a");
            }
        }
        state.PauseTiming();
        buffer->undo();
        buffer->clearUndoHistory();
        state.ResumeTiming();
    }
    state.counters["selections"] = static_cast<double>(lines);
}
BENCHMARK(BM_TypeOverSelections)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Select all and delete, then undo: the erased text comes back out of its
// compressed undo copy and is lexed again. Only the undo is timed.
void BM_UndoSelectAllDelete(benchmark::State& state)
{
    const int64_t units = state.range(0);
    ustring text;
    text.reserve(static_cast<size_t>(units));
    static const ustring kLine = u"The quick brown fox jumps over the lazy dog; 0123456789.\n";
    while (static_cast<int64_t>(text.size()) + static_cast<int64_t>(kLine.size()) <= units)
        text += kLine;
    slate::SP<TextBuffer> buffer = makeBuffer(text);
    text = ustring();
    slate::SP<ViewState> view = buffer->createViewState();
    for (auto _ : state) {
        state.PauseTiming();
        {
            ScopedUndoGroup group(u"deleteAll", buffer, false, false);
            buffer->eraseCharacters(SelectionRegion(0, buffer->size()));
        }
        state.ResumeTiming();
        buffer->undo();
    }
    state.counters["units"] = static_cast<double>(buffer->size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer->size() * 2));
}
BENCHMARK(BM_UndoSelectAllDelete)
    ->Arg(100 * 1000 * 1000 / 2)
    ->Arg(100 * 1000 * 1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// 100,000 single-character edits at the end of one line, each its own undo
// group (a click between keystrokes keeps them from merging): the heap the
// buffer holds afterwards, text and history together, and the history's
// share.
void BM_MemoryAfterSingleCharacterEdits(benchmark::State& state)
{
    const int edits = static_cast<int>(state.range(0));
    double heapBytes = 0;
    double historyBytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        {
            slate::SP<TextBuffer> buffer = makeBuffer(u"");
            slate::SP<ViewState> view = buffer->createViewState();
            for (int i = 0; i < edits; ++i) {
                {
                    ScopedUndoGroup group(u"insertAndDecodeCharacters \"a\"", buffer, true,
                                          false);
                    buffer->insertCharacters(buffer->size(), u"a");
                }
                view->mutableSel().set(0, SelectionRegion(buffer->size()));
            }
            const size_t withHistory = mallinfo2().uordblks;
            heapBytes = static_cast<double>(withHistory - before);
            state.counters["undoGroups"] = static_cast<double>(buffer->undoStack().size());
            buffer->clearUndoHistory();
            historyBytes = static_cast<double>(withHistory - mallinfo2().uordblks);
        }
    }
    state.counters["heapBytes"] = heapBytes;
    state.counters["heapBytesPerEdit"] = heapBytes / edits;
    // The undo history's own share; the rest is mostly the token storage,
    // which keeps the records of the growing line's earlier versions only
    // until it compacts them away.
    state.counters["historyBytesPerEdit"] = historyBytes / edits;
}
BENCHMARK(BM_MemoryAfterSingleCharacterEdits)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
