// The bottom panel area of an editor window's frame: how high the visible
// panel is drawn, and its face, close button, area region and splitter.
#pragma once

#include <functional>
#include <map>

#include "ui/interval2.h"
#include "ui/ustring.h"

class DialogPanel;
class InputRegion;
class Theme;

// The height the frame gives `panel`: its remembered height in `heights`
// when it is resizable (a remembered 0, never sized yet, becomes its own
// height there), its own height otherwise.
float panelAreaHeight(const DialogPanel& panel, std::map<ustring, float>& heights);

// Draws the panel face over `rect`, the close button running `hide` in its
// right column, and lets the panel lay itself out in the area region under
// `parent`; a resizable panel gets a splitter at the area's top that moves
// its entry in `heights` (which must outlive the frame's regions). Returns
// false while something drawn needs another frame.
bool drawPanelArea(Theme& theme, InputRegion* parent, const interval2& rect, DialogPanel& panel,
                   std::map<ustring, float>& heights, std::function<void()> hide);
