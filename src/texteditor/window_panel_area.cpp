// The frame cuts the panel area off the bottom of the window (window_layout)
// and hands it here. The splitter finds the height by the panel's name at
// each step of a drag, so a drag outliving a panel switch moves the height
// of the panel it started on.
#include "texteditor/window_panel_area.h"

#include "controls/control_helpers.h"
#include "controls/splitter.h"
#include "panels/dialog_panel.h"
#include "texteditor/window_layout.h"
#include "ui/input_region.h"
#include "ui/theme.h"

float panelAreaHeight(const DialogPanel& panel, std::map<ustring, float>& heights)
{
    if (!panel.isResizable())
        return panel.height();
    float& height = heights[panel.name()];
    if (height == 0)
        height = panel.height();
    return height;
}

bool drawPanelArea(Theme& theme, InputRegion* parent, const interval2& rect, DialogPanel& panel,
                   std::map<ustring, float>& heights, std::function<void()> hide)
{
    BaseWindow* window = parent->baseWindow();
    theme.get("panel").draw(rect);
    const PanelLayout parts = layoutPanel(rect);
    bool done = iconButton(parent, RegionId(window, kPanelCloseRegion), parts.closeButton, std::move(hide),
                           &theme.get("icon.minicross"), &theme.get("button"), &theme.get("button.down"),
                           u"Close Panel", u"hidePanel", 12);
    auto* area = new InputRegion(window, RegionId(window, kPanelAreaRegion), parts.area);
    parent->addChild(area);
    done &= panel.layout(&theme, area, parts.area);
    if (panel.isResizable()) {
        SplitterValue height;
        const ustring name = panel.name();
        height.locate = [&heights, name] { return &heights[name]; };
        height.multiplier = -1;
        height.minimum = panel.minHeight();
        height.maximum = parts.maximumHeight;
        area->addChild(new SplitterInputHandler(window, RegionId(window, kPanelSplitterRegion), parts.splitter,
                                                SplitterValue(), height));
    }
    return done;
}
