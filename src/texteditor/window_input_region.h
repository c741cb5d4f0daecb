// The root input region of an editor window's frame, which carries the
// window's command runner and answers the window's binding contexts, and the
// region that keeps mouse clicks away from everything beneath an overlay.
//
// Both are made anew every frame with the region tree. Main thread only.
#pragma once

#include "ui/input_region.h"
#include "ui/ustring.h"

// What the window contexts are answered from.
struct WindowContextState {
    const ustring* panelName = nullptr; // the name of the visible bottom panel; null when none is
    bool overlayVisible = false;
    bool fullScreen = false;
};

// Answers "isPanelVisible", "isOverlayVisible" and "isFullScreen" from
// `state`: the operand "true" holds while the thing is so, and any other
// operand while it is not, except that "isPanelVisible" with a panel's name
// holds exactly while that panel is shown. True for these keys; false,
// leaving `result` alone, for any other.
bool answerWindowContext(const WindowContextState& state, const ustring& key, const ustring& operand,
                         bool& result);

class TextEditorWindow;

// The state of `window` now: read each time a context is asked, so a panel
// shown by a key is seen by the next key of the same frame.
WindowContextState windowContextState(TextEditorWindow& window);

class WindowInputRegion : public InputRegion {
public:
    // `runner` (the window's command runner) outlives the frame; so does
    // `window`, whose frame this region is part of.
    WindowInputRegion(const RegionId& id, const interval2& rect, CommandRunner* runner, TextEditorWindow* window);

    CommandRunner* commandRunner() override { return m_runner; }
    bool checkContext(const ustring& key, const ustring& operand, bool& result) override;

private:
    CommandRunner* m_runner;
    TextEditorWindow* m_window;
};

// Takes the mouse buttons (with their double and triple clicks) and pointer
// motion, but lets wheel turns and keys through to the regions beneath it.
class NullInputHandler : public InputRegion {
public:
    using InputRegion::InputRegion;

    bool onInputEvent(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;
    CommandRunner* commandRunner() override { return nullptr; }
};
