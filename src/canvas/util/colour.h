// Colours written as text, as theme files, colour schemes and a few callers
// write them: a colour name ("cornflowerblue", "Cornflower Blue") or "#"
// followed by six hexadecimal digits ("#6495ED"; anything after the six
// digits, such as an alpha pair, is ignored).
//
// A colour is three floats, red, green and blue in 0..1, passed by pointer
// or as a Colour. Both forms give exactly the same floats for the same bytes, so a colour
// written by name and by value compares equal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas/colour.h"
#include "ui/ustring.h"

// Parses `colourName` (NUL-terminated UTF-8, never null) into `colour[0..2]`.
// Names are compared without regard to ASCII case; when the text holds a
// blank, its blanks and tabs are dropped first ("light goldenrod yellow").
// Returns false and leaves `colour` untouched when the text is neither a
// known name nor "#" with six hexadecimal digits. Any thread.
bool parseColourName(const char* colourName, float colour[3]);

// parseColour for wide text; the same rules and the same failure.
bool parseColour(const ustring& text, float colour[3]);
bool parseColour(const ustring& text, Colour& colour);

// One entry of the built-in colour names.
struct NamedColour {
    const char* name; // lower-case ASCII letters and digits
    uint32_t rgb;     // 0x00RRGGBB
};

// The built-in colour names, sorted by name without regard to case; constant
// data that lives as long as the program.
struct NamedColourTable {
    const NamedColour* first;
    const NamedColour* last; // one past the end

    const NamedColour* begin() const { return first; }
    const NamedColour* end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
};
NamedColourTable namedColours();
