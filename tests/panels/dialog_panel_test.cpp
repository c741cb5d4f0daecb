// What a panel gets from the base class when it defines only what every panel
// must: the host relies on these answers for the simple panels.
#include "panels/dialog_panel.h"

#include <gtest/gtest.h>

namespace {

struct MinimalPanel : DialogPanel {
    const char16_t* name() const override { return u"minimal"; }
    float height() const override { return m_height; }
    bool layout(Theme*, InputRegion*, const interval2&) override { return true; }
    void onShow() override {}

    float m_height = 32;
};

// A panel that keeps the default minimum cannot be dragged below its
// preferred height, even when that height changes.
TEST(DialogPanel, TheDefaultMinimumFollowsThePreferredHeight)
{
    MinimalPanel panel;
    EXPECT_EQ(32, panel.minHeight());
    panel.m_height = 96;
    EXPECT_EQ(96, panel.minHeight());
}

TEST(DialogPanel, APanelIsFixedInHeightAndClosesWhenAskedForAgainByDefault)
{
    MinimalPanel panel;
    DialogPanel& base = panel;
    base.setCanvas(nullptr);
    base.onHide();
    EXPECT_FALSE(base.isResizable());
    EXPECT_FALSE(base.onShowAgain());
}

} // namespace
