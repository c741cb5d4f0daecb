// The window's frame gives its visible bottom panel the panel area and
// takes that height from the view groups.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "controls/control_events.h"
#include "panels/dialog_panel.h"
#include "texteditor/application_fixture.h"
#include "texteditor/window_layout.h"
#include "ui/input_region.h"

namespace application_test {
namespace {

// A panel that remembers the rectangle and parent region of its last layout.
class RectPanel final : public DialogPanel {
public:
    RectPanel(float height, bool resizable, float minHeight = 0)
        : m_height(height), m_minHeight(minHeight ? minHeight : height), m_resizable(resizable)
    {
    }
    const char16_t* name() const override { return u"probe"; }
    float height() const override { return m_height; }
    float minHeight() const override { return m_minHeight; }
    bool isResizable() const override { return m_resizable; }
    bool layout(Theme*, InputRegion* parent, const interval2& rect) override
    {
        ++m_layouts;
        m_parent = parent->id();
        m_rect = rect;
        return true;
    }
    void onShow() override {}

    int m_layouts = 0;
    RegionId m_parent;
    interval2 m_rect;

private:
    float m_height;
    float m_minHeight;
    bool m_resizable;
};

class PanelAreaTest : public WindowTest {
protected:
    RectPanel* addPanel(float height, bool resizable, float minHeight = 0)
    {
        auto panel = std::make_unique<RectPanel>(height, resizable, minHeight);
        RectPanel* raw = panel.get();
        m_window->panelHost().addPanel(std::move(panel));
        return raw;
    }
    // The bottom edge of the groups in the frame just drawn: the column
    // splitter of the second group reaches down to it.
    float groupBottom()
    {
        const InputRegion* splitter = region(888999 + 3);
        return splitter ? splitter->rect().y1 : -1;
    }
    // The region `index` of the window's fixed ids in the frame just drawn,
    // or null.
    const InputRegion* region(int index)
    {
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_window->root(), regions);
        auto found = regions.find(RegionId(m_window, index));
        return found == regions.end() ? nullptr : found->second;
    }
    test_support::FakePlatformWindow& platform()
    {
        return *static_cast<test_support::FakePlatformWindow*>(m_window->m_window);
    }
};

TEST_F(PanelAreaTest, TheVisiblePanelLaysItselfOutAtTheBottomAndTheGroupsShrink)
{
    m_window->setLayout(1);
    RectPanel* panel = addPanel(32, false);
    m_window->draw(false);
    const float bottomWithout = groupBottom();
    ASSERT_GT(bottomWithout, 0);
    EXPECT_EQ(0, panel->m_layouts);

    m_window->panelHost().showPanel(panel);
    m_window->draw(false);
    EXPECT_EQ(1, panel->m_layouts);
    EXPECT_EQ(bottomWithout - 32, groupBottom());
    // The close button's column stays out of the panel's own area.
    EXPECT_EQ(interval2(0, bottomWithout - 32, 640 - kPanelCloseColumn, bottomWithout), panel->m_rect);
    EXPECT_EQ(RegionId(m_window, kPanelAreaRegion), panel->m_parent);

    m_window->panelHost().hidePanel();
    m_window->draw(false);
    EXPECT_EQ(1, panel->m_layouts);
    EXPECT_EQ(bottomWithout, groupBottom());
}

TEST_F(PanelAreaTest, AResizablePanelTakesItsRememberedHeightAndANeverSizedOneItsOwn)
{
    m_window->setLayout(1);
    RectPanel* panel = addPanel(100, true);
    m_window->draw(false);
    const float bottomWithout = groupBottom();
    m_window->panelHost().showPanel(panel);
    m_window->m_panelHeights[u"probe"] = 0;
    m_window->draw(false);
    EXPECT_EQ(100, panel->m_rect.y1 - panel->m_rect.y0);
    EXPECT_EQ(100, m_window->m_panelHeights[u"probe"]);

    m_window->m_panelHeights[u"probe"] = 180;
    m_window->draw(false);
    EXPECT_EQ(180, panel->m_rect.y1 - panel->m_rect.y0);
    EXPECT_EQ(bottomWithout - 180, groupBottom());
}

TEST_F(PanelAreaTest, TheSplitterDragsTheHeightBetweenTheMinimumAndTheRoomAbove)
{
    // Shown for the first time, the panel is remembered at its minimum.
    RectPanel* panel = addPanel(100, true, 60);
    m_window->panelHost().showPanel(panel);
    m_window->draw(false);
    const float top = panel->m_rect.y0;
    const float bottom = panel->m_rect.y1;
    const InputRegion* splitter = region(kPanelSplitterRegion);
    ASSERT_NE(nullptr, splitter);
    EXPECT_EQ(interval2(0, top, 640 - kPanelCloseColumn, top + 8), splitter->rect());

    using control_events::button;
    using control_events::motion;
    m_window->onKeyOrButton(button(kMouseLeft, true, 10, top + 2));
    ASSERT_NE(nullptr, platform().drag);
    platform().dragMotion(motion(10, top - 48, {kMouseLeft}));
    EXPECT_FLOAT_EQ(110, m_window->m_panelHeights[u"probe"]);
    platform().dragMotion(motion(10, 0, {kMouseLeft}));
    EXPECT_FLOAT_EQ(bottom - kPanelRoomAbove, m_window->m_panelHeights[u"probe"]);
    platform().dragMotion(motion(10, bottom, {kMouseLeft}));
    EXPECT_FLOAT_EQ(60, m_window->m_panelHeights[u"probe"]);
}

TEST_F(PanelAreaTest, TheCloseButtonHidesThePanelAndAFixedPanelHasNoSplitter)
{
    RectPanel* panel = addPanel(32, false);
    m_window->panelHost().showPanel(panel);
    m_window->draw(false);
    EXPECT_EQ(nullptr, region(kPanelSplitterRegion));
    const InputRegion* close = region(kPanelCloseRegion);
    ASSERT_NE(nullptr, close);
    const float x = (close->rect().x0 + close->rect().x1) / 2;
    const float y = (close->rect().y0 + close->rect().y1) / 2;
    m_window->onKeyOrButton(control_events::button(kMouseLeft, true, x, y));
    platform().dragKey(control_events::button(kMouseLeft, false, x, y));
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
}

} // namespace
} // namespace application_test
