// One window frame holding a 10,000-row list and a 10,000-node expanded tree,
// each scrolled to its middle, drawn on the recording canvas. Only the rows
// in view are drawn; the tree is still measured in full every frame.
#include <benchmark/benchmark.h>

#include "canvas/recording_canvas.h"
#include "controls/control_test_window.h"
#include "controls/control_helpers.h"
#include "controls/list_control.h"
#include "controls/tree_branches.h"
#include "controls/tree_control.h"

namespace {

void BM_ListAndTreeFrame(benchmark::State& state)
{
    RecordingCanvas canvas;
    control_test::TestFrame frame(canvas);
    std::vector<ListRow> rows(10000);
    std::vector<int> visible(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].first = i;
        visible[i] = int(i);
    }
    tree_test::Branch root(u"root");
    for (int i = 0; i < 100; ++i) {
        tree_test::Branch* branch = root.add(u"directory " + ustring(1, u'a' + char16_t(i % 26)));
        for (int j = 0; j < 99; ++j)
            branch->addLeaf(u"source_file_" + ustring(1, u'a' + char16_t(j % 26)) + u".cpp");
    }
    vector2 listOffset{0, 80000};
    vector2 treeOffset{0, 80000};
    const ustring label = u"row";
    for (auto _ : state) {
        canvas.clearLines();
        frame.frame([&](InputRegion* parent) {
            bool done = listControl(frame.theme(), parent, RegionId(&rows), interval2(0, 0, 200, 300), &listOffset,
                                    rows, visible, 5000, {},
                                    [&](Theme& theme, Canvas&, const interval2& r, const ListRow&, bool) {
                                        drawThemeText(theme.controlFont, r.x0, r.y0, label.data(),
                                                      label.data() + label.size(), false);
                                    },
                                    false);
            done &= treeControl(frame.theme(), parent, interval2(200, 0, 400, 300), &treeOffset, &root, {});
            return done;
        });
        benchmark::DoNotOptimize(canvas.lines().size());
    }
}
BENCHMARK(BM_ListAndTreeFrame)->Unit(benchmark::kMicrosecond);

} // namespace
