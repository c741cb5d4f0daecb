// The default theme's elements at typical sizes, drawn the same way by the
// native golden test and by the Wine test of both renderers, with pixels
// whose colours the theme's images decide. Neutral headers only.
#pragma once

#include <cstdint>

#include "ui/interval2.h"
#include "ui/theme.h"

namespace theme_scene {

constexpr int kWidth = 320;
constexpr int kHeight = 120;
// The colour the scene is cleared to first: the panels' grey.
constexpr float kWindow[3] = {0xD6 / 255.f, 0xD9 / 255.f, 0xDE / 255.f};

inline void draw(Theme& theme)
{
    struct Element {
        const char* name;
        interval2 rect;
    };
    const Element elements[] = {
        {"panel.tab", {0, 0, 320, 32}},
        {"tab.unselected", {4, 4, 84, 32}},
        {"tab.selected", {84, 4, 164, 32}},
        {"tab.selected.unfocused", {164, 4, 244, 32}},
        {"button", {8, 40, 58, 62}},
        {"button.down", {62, 40, 112, 62}},
        {"button.disabled", {116, 40, 166, 62}},
        {"btn.left", {172, 40, 196, 62}},
        {"btn.down.middle", {196, 40, 220, 62}},
        {"btn.right", {220, 40, 244, 62}},
        {"scrollbar.track", {300, 0, 316, 100}},
        {"scrollbar.puck", {300, 20, 316, 60}},
        {"scrollbar.htrack", {8, 70, 200, 86}},
        {"scrollbar.hpuck", {40, 70, 120, 86}},
        {"tree.button", {210, 72, 222, 84}},
        {"panel.hint", {230, 66, 290, 90}},
        {"panel.statusbar", {0, 100, 320, 120}},
        {"button.statusbutton", {250, 100, 300, 120}},
    };
    for (const Element& element : elements)
        theme.get(element.name).draw(element.rect);
    theme.get("icon.expand").draw(interval2(212, 74, 220, 82));
    theme.get("icon.bookmark").draw(interval2(250, 40, 266, 56));
    theme.get("icon.find.regex").draw(interval2(270, 40, 286, 56));
}

// Pixels away from edges, whose colour (0xRRGGBB) shows that each image
// came out upright and in its own colours; the rows next to the tops and
// bottoms of the tabs, buttons and status bar tell a band drawn upside down.
struct Probe {
    const char* what;
    int x, y;
    uint32_t rgb;
};
inline const Probe kProbes[] = {
    {"selected tab", 124, 20, 0xFFFFFF},
    {"unselected tab", 44, 20, 0xE9EBEE},
    {"space above an unselected tab", 44, 5, 0xD6D9DE},
    {"line under an unselected tab", 44, 31, 0x9AA1AB},
    {"button face", 33, 52, 0xE9EBEE},
    {"highlight along a button's top", 33, 41, 0xFFFFFF},
    {"pressed button face", 87, 52, 0xC9CED5},
    {"scrollbar puck", 308, 40, 0xBFC5CD},
    {"scrollbar track", 308, 80, 0xEEF0F2},
    {"line along the status bar's top", 10, 100, 0x9AA1AB},
    {"status bar", 10, 110, 0xD6D9DE},
    {"hint", 260, 78, 0xFFFFE6},
};

} // namespace theme_scene
