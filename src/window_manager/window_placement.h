// The placement text of a window, as sessions store it: eleven decimal
// integers joined by commas, no spaces: the full-screen flag (0 or 1), then
// the system's placement record: flags, show state, the minimised position
// (x, y), the maximised position (x, y) and the restored rect (left, top,
// right, bottom). A normal window restored at 100, 100, 740, 580 reads
// "0,0,1,-1,-1,-1,-1,100,100,740,580".
#pragma once

#include <cstdint>

#include "ui/ustring.h"

struct WindowPlacement {
    static constexpr int kFieldCount = 11;

    int32_t fullscreen = 0;
    int32_t flags = 0;
    int32_t showCommand = 0;
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // The fields in text order.
    int32_t& field(int index);
};

// Reads the fields of `text` in order into `placement`, each an optional
// sign and decimal digits after optional blanks, separated by single commas.
// Reading stops at the first field that is missing or malformed; it and the
// fields after it keep the values they had. A value beyond the 32-bit range
// is clamped to it. Returns the number of fields read (0 to 11).
int parsePlacement(const slate::usubstring& text, WindowPlacement& placement);

// The show state a window opens with for the saved `saved`, given the
// state `current` it has now. Normal, maximised and shown states are applied
// as saved; a minimised window opens shown at its restored rect (activated
// or not, as saved). Any other value (hidden, or minimised by force) is not
// applied, since it could leave a main window the user cannot reach:
// `current` is kept.
int32_t openingShowCommand(int32_t saved, int32_t current);

// The placement as text, all eleven fields.
ustring formatPlacement(const WindowPlacement& placement);
