// What the editor window asks of the panels that search the active view with
// the window's find settings (find, incremental find, replace), so that it
// can keep them up to date without knowing their kind.
#pragma once

// Implemented next to DialogPanel by such a panel; the window finds it with a
// dynamic_cast on its panels. Main thread only.
class FindTargetPanel {
public:
    virtual ~FindTargetPanel() = default;

    // Called on every such panel after each change of the Application
    // options, once the find settings have reloaded their flags; `visible`
    // is true for the window's current panel, which then searches again.
    virtual void settingsChanged(bool visible) = 0;

    // Called every time the window draws while this panel is the current
    // one: makes the active view the target of the find settings, so that
    // highlighting follows the user to another view.
    virtual void updateTargetView() = 0;
};
