// The window's frame gives its visible bottom panel the panel area and
// takes that height from the view groups.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "panels/dialog_panel.h"
#include "texteditor/application_fixture.h"
#include "texteditor/window_layout.h"
#include "ui/input_region.h"

namespace application_test {
namespace {

// A panel that remembers the rectangle and parent region of its last layout.
class RectPanel final : public DialogPanel {
public:
    RectPanel(float height, bool resizable) : m_height(height), m_resizable(resizable) {}
    const char16_t* name() const override { return u"probe"; }
    float height() const override { return m_height; }
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
    bool m_resizable;
};

class PanelAreaTest : public WindowTest {
protected:
    RectPanel* addPanel(float height, bool resizable)
    {
        auto panel = std::make_unique<RectPanel>(height, resizable);
        RectPanel* raw = panel.get();
        m_window->panelHost().addPanel(std::move(panel));
        return raw;
    }
    // The bottom edge of the groups in the frame just drawn: the column
    // splitter of the second group reaches down to it.
    float groupBottom()
    {
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_window->root(), regions);
        auto found = regions.find(RegionId(m_window, 888999 + 3));
        return found == regions.end() ? -1 : found->second->rect().y1;
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

} // namespace
} // namespace application_test
