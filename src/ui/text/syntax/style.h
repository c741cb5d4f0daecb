// The colours that a colour scheme gives: `Style` for one scope (what the
// renderer paints a token with) and `SchemeColours` for the view as a whole
// (caret, selection, line highlight, brackets), together with the helpers
// that read a scheme's colour texts.
//
// A colour is three floats, red, green and blue in 0..1, as parseColour
// (canvas/util/colour.h) writes them.
#pragma once

#include "ui/ustring.h"

// The colours of one scope. A plain value; the schemes hand out pointers to
// the copies they cache, which compare equal exactly when their fields do.
struct Style {
    float foreground[3] = {0.0f, 0.0f, 0.0f};
    float background[3] = {1.0f, 1.0f, 1.0f};
    // Never set by a colour scheme: the drawing code fills it (the squiggle
    // under misspelt words) for styles of its own.
    float thirdColour[3] = {0.0f, 0.0f, 0.0f};
    // The background equals the scheme's own, so the renderer need not paint
    // it.
    bool backgroundIsDefault = true;
    // Never set by a colour scheme; the drawing code sets it for styles of
    // its own.
    bool secondFlag = false;
};

bool operator==(const Style& a, const Style& b);
inline bool operator!=(const Style& a, const Style& b) { return !(a == b); }

// The global colours of a scheme. A scheme that is never loaded (the default
// scheme) keeps these defaults, `brackets` included; loading derives the
// mixed entries from the scheme's own colours.
struct SchemeColours {
    SchemeColours();

    float background[3];
    float caret[3];
    float selection[3];
    float selectionForeground[3];
    float selectionMix[3];           // half background, half selection
    float selectionMixForeground[3]; // always equal to selectionForeground
    float lineHighlight[3];
    float lineHighlightMix[3];       // half background, half lineHighlight
    float foregroundQuarterMix[3];   // three quarters background, a quarter foreground
    float brackets[3];
    float foregroundHalfMix[3];      // half background, half foreground
};

// Blends a colour with alpha, "#RRGGBBAA", over `base` and returns it as
// "#RRGGBB" in upper-case digits. Each channel is truncated, not rounded,
// and 1/255 is taken in single precision, slightly above its true value: over
// white, "#FF000080" gives "#FF7E7E", over black "#800000". The caller checks
// the form; a shorter text or one with a non-hexadecimal digit is read up to
// that digit, as strtoul would.
ustring blendColourText(const ustring& text, const float base[3]);

// Parses a colour of a scheme into `colour`: a text of exactly nine units that
// begins with "#" is blended over `base` first; anything else goes to
// parseColour as it is (so "#RRGGBBA" counts by its first six digits). A text
// that does not parse leaves `colour` unchanged and gives false.
bool parseSchemeColour(const ustring& text, float colour[3], const float base[3]);
