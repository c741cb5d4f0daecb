// A mouse selection dragged over a 100,000-line buffer: the selection is
// anchored near the top and the pointer moves over a view scrolled to the
// middle, so every motion rebuilds a selection of about 50,000 lines and
// hit-tests the pointer. One iteration is one TextDragHandler::onMotion.
#include <benchmark/benchmark.h>

#include <string>

#include "controls/text_area.h"
#include "controls/text_drag_handlers.h"
#include "ui/key_codes.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace {

void BM_TextDragMotion(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "line " + std::to_string(i) + " of a long buffer with some words\n";
    GridRecordingCanvas canvas;
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(toUstring(text));
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(view_test::optionsFrom("wordWrap false"));
    const interval2 rect(0, 0, 800, 600);
    fitViewToRect(rect, *view, true);
    view->setTranslationY(50000.0 * GridRecordingCanvas::kLineHeight);

    const SelectionRegion anchor(buffer->textPoint(10, 3));
    buffer->beginUndoGroup(ustring());
    TextDragHandler drag(rect, view, 0.f, 0.f, false, false, false, SelectionSet(anchor), anchor);
    MotionEvent motion;
    motion.state.key[kMouseLeft] = 1;
    int step = 0;
    for (auto _ : state) {
        // Back and forth over the visible lines and columns.
        motion.state.x = 30.f + static_cast<float>((step * 37) % 500);
        motion.state.y = 4.f + static_cast<float>((step * 53) % 590);
        ++step;
        benchmark::DoNotOptimize(drag.onMotion(motion));
    }
    benchmark::DoNotOptimize(view->sel().size());
}
BENCHMARK(BM_TextDragMotion)->Unit(benchmark::kMicrosecond);

} // namespace
