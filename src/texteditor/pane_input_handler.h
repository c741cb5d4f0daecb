// The region under the views of one group of an editor window: it takes the
// clicks and drops that the views and tabs leave. A press focuses the pane
// (its group becomes the active one) and is consumed only then, so that a
// click into an unfocused pane does nothing more than focus it; a double
// click opens the open dialog, the right button the pane's context menu,
// and a dropped file opens in this group. One per group and frame, made by
// the group drawing. Main thread only.
#pragma once

#include "ui/input_region.h"

class TextEditorWindow;

// Package path of the pane's context menu.
extern const char16_t kPaneContextMenuPath[];

class PaneInputHandler final : public InputRegion {
public:
    // `window` draws the frame and outlives it; `group` is one of its groups.
    PaneInputHandler(TextEditorWindow* window, int group, const interval2& rect);

    bool onInputEvent(const KeyEvent& event) override;
    bool onDropFile(float x, float y, const uchar* path) override;

private:
    void focusPane();

    TextEditorWindow* m_editor;
    int m_group;
};
