// Text fields and editor views: how the rect is shared between the text,
// the scrollbars and the minimap, which regions a frame adds, and what a
// view whose buffer is still loading shows and reports.
#include "controls/text_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/text_view_frame.h"
#include "ui/base_window.h"
#include "ui/text/stalled_source.h"

namespace {

using buffer_test::StalledSource;
using text_view_test::GridTextCanvas;
using text_view_test::numberedLines;
using text_view_test::Views;

const char kNoBars[] = "wantVerticalScrollBar false\nwantHorizontalScrollBar false\n";

class TextControlTest : public testing::Test {
protected:
    TextControlTest() : m_views(m_canvas, numberedLines(1)) {}

    // One frame drawn by `draw(theme, root)`; returns its result and keeps
    // the frame's regions by id.
    template <typename Draw>
    bool frame(Draw draw)
    {
        m_canvas.clearLines();
        const bool result = m_frame.frame([&](InputRegion* root) { return draw(m_frame.theme(), root); });
        m_regions.clear();
        BaseWindow::collectRegions(m_frame.root(), m_regions);
        return result;
    }
    InputRegion* region(const RegionId& id)
    {
        auto found = m_regions.find(id);
        return found == m_regions.end() ? nullptr : found->second;
    }
    bool drew(const std::string& quoted)
    {
        for (const std::string& line : m_canvas.lines())
            if (line.find(quoted) != std::string::npos)
                return true;
        return false;
    }
    void startLoading() { ASSERT_TRUE(m_views.buffer->load(std::make_unique<StalledSource>())); }

    GridTextCanvas m_canvas;
    control_test::TestFrame m_frame{m_canvas};
    Views m_views;
    BaseWindow::RegionMap m_regions;
};

TEST_F(TextControlTest, MinimapTakesItsShareLimitedOnlyAboveTenWithATwoPixelGap)
{
    // A one-line file gives the minimap a fifth of the width: 200 of 1000.
    struct Case {
        const char* name;
        bool onLeft;
        float maxWidth;
        interval2 text;
        interval2 minimap;
    };
    const Case cases[] = {
        {"right, no limit", false, 0, {0, 0, 800, 600}, {802, 0, 1000, 600}},
        {"left, no limit", true, 0, {200, 0, 1000, 600}, {0, 0, 198, 600}},
        {"a limit of 10 is none", true, 10, {200, 0, 1000, 600}, {0, 0, 198, 600}},
        {"a limit of 11 applies", true, 11, {11, 0, 1000, 600}, {0, 0, 9, 600}},
        {"right, limited to 50", false, 50, {0, 0, 950, 600}, {952, 0, 1000, 600}},
        {"a limit wider than the share", false, 300, {0, 0, 800, 600}, {802, 0, 1000, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBufferView> view = m_views.make(kNoBars);
        slate::SP<TextBufferView> minimapView = m_views.make("gutter false");
        InputRegion* first = nullptr;
        EXPECT_TRUE(frame([&](Theme& theme, InputRegion* root) {
            return textView(theme, root, interval2(0, 0, 1000, 600), view, minimapView, c.onLeft, c.maxWidth,
                            nullptr, &first);
        }));
        ASSERT_TRUE(region(RegionId(view.get())));
        ASSERT_TRUE(region(RegionId(minimapView.get())));
        EXPECT_EQ(first, region(RegionId(view.get())));
        EXPECT_EQ(region(RegionId(view.get()))->rect(), c.text);
        EXPECT_EQ(region(RegionId(minimapView.get()))->rect(), c.minimap);
    }
}

TEST_F(TextControlTest, HorizontalBarOnlyWhenWantedAndTheWrapWidthDoesNotFit)
{
    // 400 wide, no gutter, 16-pixel bars: 384 for the text, 80 columns are
    // 800.
    struct Case {
        const char* options;
        bool bar;
    };
    const Case cases[] = {
        {"wordWrap false", true},
        {"wordWrap false\nwantHorizontalScrollBar false", false},
        {"wordWrap true", false},
        {"wordWrap true\nwrapWidth 80", true},
        {"wordWrap true\nwrapWidth 30", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        slate::SP<TextBufferView> view = m_views.make(std::string("gutter false\n") + c.options);
        frame([&](Theme& theme, InputRegion* root) {
            return textViewWithOptions(theme, root, interval2(0, 0, 400, 300), view, nullptr);
        });
        EXPECT_TRUE(region(RegionId(view.get(), 1)));
        EXPECT_EQ(region(RegionId(view.get(), 2)) != nullptr, c.bar);
    }
}

TEST_F(TextControlTest, LoadingViewShowsItsProgressWithoutRegionsAndIsIncomplete)
{
    slate::SP<TextBufferView> view = m_views.make("");
    slate::SP<TextBufferView> minimapView = m_views.make("gutter false");
    startLoading();
    EXPECT_FALSE(frame([&](Theme& theme, InputRegion* root) {
        return textView(theme, root, interval2(0, 0, 600, 400), view, minimapView, false, 0, nullptr, nullptr);
    }));
    EXPECT_TRUE(drew("\"Loading: 37%\""));
    EXPECT_TRUE(m_regions.empty());
}

TEST_F(TextControlTest, LoadingFieldKeepsItsRegionButIsIncomplete)
{
    slate::SP<TextBufferView> view = m_views.make("");
    const int id = 0;
    EXPECT_TRUE(frame([&](Theme& theme, InputRegion* root) {
        return textControl(theme, root, RegionId(&id), interval2(0, 0, 200, 24), view, nullptr, nullptr, nullptr);
    }));
    startLoading();
    EXPECT_FALSE(frame([&](Theme& theme, InputRegion* root) {
        return textControl(theme, root, RegionId(&id), interval2(0, 0, 200, 24), view, nullptr, nullptr, nullptr);
    }));
    EXPECT_TRUE(region(RegionId(&id)));
}

TEST_F(TextControlTest, DropdownButtonIsSixteenSquareInItsStrip)
{
    // The frame's inner rect is {12, 12, 208, 38}; the strip is its right
    // 24 pixels, 184 to 208.
    m_frame.theme().addShader("btn.dropdown", new control_test::NamedShader(&m_canvas, "btn.dropdown"));
    using Dropdown = decltype(&dropdownTextControl);
    for (Dropdown draw : {&dropdownTextControl, &multiLineDropdownTextControl}) {
        slate::SP<TextBufferView> view = m_views.make("");
        const int id = 0, buttonId = 0;
        int dropped = 0;
        EXPECT_TRUE(frame([&](Theme& theme, InputRegion* root) {
            return draw(theme, root, RegionId(&id), interval2(10, 10, 210, 40), view, nullptr, nullptr, nullptr,
                        RegionId(&buttonId), [&] { ++dropped; });
        }));
        ASSERT_TRUE(region(RegionId(&id)));
        ASSERT_TRUE(region(RegionId(&buttonId)));
        EXPECT_EQ(region(RegionId(&buttonId))->rect(), interval2(188, 14, 204, 30));
        EXPECT_TRUE(drew("shader btn.dropdown 188 14 204 30"));
    }
}

TEST_F(TextControlTest, MainViewAndMinimapOfOneBufferBothDrawInOneFrame)
{
    // The minimap in a font of its own, as an editor would give it.
    slate::SP<TextBufferView> view = m_views.make(std::string(kNoBars) + "gutter false");
    slate::SP<TextBufferView> minimapView = m_views.make("gutter false\nfont Courier New 3");
    ASSERT_NE(view->settings().layout.font, minimapView->settings().layout.font);
    EXPECT_TRUE(frame([&](Theme& theme, InputRegion* root) {
        return textView(theme, root, interval2(0, 0, 600, 400), view, minimapView, false, 0, nullptr, nullptr);
    }));
    int drawn = 0;
    for (const std::string& line : m_canvas.lines())
        drawn += line.find("\"line0\"") != std::string::npos;
    EXPECT_EQ(drawn, 2);
}

} // namespace
