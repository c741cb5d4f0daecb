// The interface of the panels shown in the area at the bottom of an editor
// window (console, find, replace, find in files, find results, output, sort,
// goto, input). The window's panel host creates, sizes, draws, shows and
// hides them through it without knowing their kind; at most one is visible.
//
// A panel keeps its own pointer to its window and its own views; the window
// constructs every panel once and deletes them with itself. Main thread only.
#pragma once

#include "ui/interval2.h"

class Canvas;
class InputRegion;
class Theme;

class DialogPanel {
public:
    virtual ~DialogPanel() = default;

    // The panel's fixed name, a static string: the window keys its panel map,
    // the showPanel command and the remembered heights (also in the session)
    // by it.
    virtual const char16_t* name() const = 0;

    // Creates the panel's buffers, views and their options. Called for every
    // panel once per canvas, before the first layout.
    virtual void setCanvas(Canvas* canvas) { (void)canvas; }

    // The preferred height in pixels.
    virtual float height() const = 0;

    // The smallest height to which the user can drag a resizable panel; by
    // default the preferred height, so such a panel only grows.
    virtual float minHeight() const { return height(); }

    // Whether the host draws a splitter above the panel and remembers a
    // dragged height per panel name.
    virtual bool isResizable() const { return false; }

    // Builds the panel's input regions under `parent` for this frame and draws
    // its controls inside `rect`. The regions live until the next frame.
    // Returns false while the panel needs another frame (an animation runs).
    virtual bool layout(Theme* theme, InputRegion* parent, const interval2& rect) = 0;

    // The panel has just become the visible one; as a rule it requests focus
    // for its first field.
    virtual void onShow() = 0;

    // The panel is about to stop being the visible one: before the next
    // panel's onShow, or alone when the panel area closes.
    virtual void onHide() {}

    // The user asked for the panel while it is already visible and focused:
    // true keeps it open, false lets the host hide it.
    virtual bool onShowAgain() { return false; }
};
