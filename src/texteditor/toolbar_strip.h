// Drawing a window's toolbar: its button groups side by side in the
// toolbar strip, each group a row of segmented buttons whose enabled and
// checked states are asked of the command runners every frame. Main
// thread, every frame.
#pragma once

#include <functional>
#include <vector>

#include "texteditor/toolbar.h"
#include "ui/input_region.h"
#include "ui/interval2.h"

class CommandRunner;
class Theme;

// A region that only shows a hint and the command it names; it takes no
// input. Used over buttons whose command is disabled, so that their hint
// still shows.
class HintInputHandler : public InputRegion {
public:
    HintInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect, ustring hintText,
                     ustring command);
    bool hint(ustring& text, ustring& command) override;

private:
    ustring m_hintText;
    ustring m_command;
};

// The runners a toolbar asks. `viewRunner` is the active view's (null when
// there is none), asked first; `windowRunner` the window's. `currentViewRunner`
// finds the active view's runner again when a click lands, since the frame
// whose runner was asked may be gone by then; it may be empty.
struct ToolbarRunners {
    CommandRunner* viewRunner = nullptr;
    CommandRunner* windowRunner = nullptr;
    std::function<CommandRunner*()> currentViewRunner;
};

// Draws "panel.toolbar" over `strip` and the groups from its left edge plus
// 8 and its top plus 4, 8 pixels apart. A button whose command is enabled
// is an icon button (the pressed face when the command's value is "true")
// that runs its command when clicked, if it is still enabled then; a
// disabled one is drawn faded under a hint region. True when no button
// still animates.
bool drawToolbarStrip(Theme& theme, InputRegion* parent, const interval2& strip,
                      const std::vector<ToolbarGroup>& groups, const ToolbarRunners& runners);
