// The values a text view draws and behaves with: the colours of its colour
// scheme, its switches (line numbers, bracket matching, scroll bars...), its
// rulers and the layout settings its renderer lays the text out with. A view
// builds them at construction and reads them again from its options every
// time those change; the renderer reads them while drawing.
//
//     ViewSettings settings(canvas);
//     settings.read(*options);
//     if (settings.layout != previous.layout) ...make a new renderer...
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/syntax/style.h"
#include "ui/text/token/layout_tracker.h"

class Canvas;
class Options;

// The font a view uses until its options name another.
extern const char16_t kDefaultViewFont[]; // "Courier New 10"

// How a click on the scroll bar scrolls, from the "clickToScroll" option.
enum class ClickToScroll : int32_t {
    kClickToScrollOff = 0,      // anything else
    kClickToScrollPosition = 1, // "true" or "position"
    kClickToScrollText = 2,     // "text"
};

// A plain value; copies share the canvas and the font, which it never owns.
// Main thread only (fonts and the colour schemes live there).
struct ViewSettings {
    // The defaults. With a canvas, the layout's font is the canvas's
    // "Courier New 10"; without one (tests, tools) there is no font, and
    // read leaves everything measured in widths of 'm' as it was.
    explicit ViewSettings(Canvas* canvas = nullptr);

    // Reads every setting from `options` (and their parents). Most keys that
    // are absent leave their field as it was, so removing "lineNumbers" does
    // not turn line numbers off; "tabSize", "wrapWidth", "clickToScroll",
    // "wantScrollBars", "colorscheme", "rulers" and "drawWhiteSpace" fall
    // back to their defaults instead. The colours come from the scheme named
    // by "colorscheme" (the default scheme when it is absent or fails to
    // load, which the styler reports); without a styler, from the default
    // scheme's colours.
    void read(const Options& options);

    // Colours, r g b in 0..1. The three backgrounds all take the scheme's.
    float backgroundColour[3];
    float secondBackgroundColour[3];
    float thirdBackgroundColour[3];
    float caretColour[3];
    Style selectionStyle;      // foreground and background from the scheme
    Style mixedSelectionStyle; // the selection in an inactive view
    float lineHighlightColour[3];
    float mixedLineHighlightColour[3]; // also the outline of inactive selections
    float quarterForegroundColour[3];
    float bracketsColour[3];
    float halfForegroundColour[3];

    bool lineNumbers = false;
    bool gutter = true;
    bool highlightLine = true;
    bool scrollPastEnd = true;
    bool drawDebug = false;
    bool drawCentered = false;
    bool matchBrackets = true;
    bool matchBracketsContent = true;
    ClickToScroll clickToScroll = ClickToScroll::kClickToScrollOff;
    std::vector<float> rulers; // x of each ruler in pixels, in option order
    bool wantVerticalScrollBar = true;
    bool wantHorizontalScrollBar = true;
    bool drawAllWhiteSpace = false;
    bool drawSelectionWhiteSpace = false;
    bool inverseCursorState = false;

    // Tab width 10 pixels and wrap width 0 (the view's layout width) until
    // the options are read; wrapped lines are not indented until
    // "indentSubsequentLines" says so.
    LayoutSettings layout;

    Canvas* canvas; // not owned; may be null
};
