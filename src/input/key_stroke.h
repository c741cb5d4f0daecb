// Key strokes and key names. A stroke is a program key code (ui/key_codes.h)
// with modifier bits, or one typed UTF-16 unit. Key map files name keys by
// the lower-case names of the key-code table ("enter", "f5", "keypad_plus"),
// which are also what menus show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/key_codes.h"
#include "ui/ustring.h"

// Modifier bits of a stroke: constants of KeyStroke::modifiers' own type
// rather than an enumeration, because strokes keep them in that 16-bit field
// and are compared and ordered by its integer value.
constexpr uint16_t kModifierAlt = 1;
constexpr uint16_t kModifierCtrl = 2;
constexpr uint16_t kModifierShift = 4;

// Either a key stroke (key code, modifiers, character 0) or a character
// stroke (key 0, modifiers 0, a non-zero UTF-16 unit). Ordered by key, then
// modifiers, then character.
struct KeyStroke {
    int32_t key = 0;
    uint16_t modifiers = 0;
    uint16_t character = 0;
};

inline bool operator==(const KeyStroke& a, const KeyStroke& b)
{
    return a.key == b.key && a.modifiers == b.modifiers && a.character == b.character;
}
inline bool operator!=(const KeyStroke& a, const KeyStroke& b) { return !(a == b); }
inline bool operator<(const KeyStroke& a, const KeyStroke& b)
{
    if (a.key != b.key)
        return a.key < b.key;
    if (a.modifiers != b.modifiers)
        return a.modifiers < b.modifiers;
    return a.character < b.character;
}

// The name of a key code, a static NUL-terminated text; "unknown" for a
// code without a name and for any value outside 0..511.
const char* keyName(int code);
// The code of a name, compared exactly (names are lower case); 0 for text
// that names no key, "unknown" included. Constant time after the first call,
// which builds the table; the first call must not race another (the key maps
// are read on the main thread).
int keyCode(const std::string& name);

// Parses one element of a key text (the text between commas) into `stroke`,
// which the caller has zeroed. A single unit is a typed character (false for
// U+0000). Anything longer is a key: "ctrl+", "alt+" and "shift+" are found
// anywhere and in any case, and the key is named by the text after the last
// '+', lower-cased, so "Ctrl+Shift+F5" equals "ctrl+shift+f5", "ctrl+" and
// "ctrl++" name no key and the plus key with a modifier is "plus". False
// when the element names no key.
bool parseKey(const slate::usubstring& element, KeyStroke& stroke);

// The display text of a key sequence, as menus show it: strokes separated by
// ", ", each with "Ctrl+", "Alt+" and "Shift+" in that order, then the typed
// character or the key's name with its first letter in upper case
// ("Ctrl+Shift+F5", "Ctrl+K, b", "Keypad_enter"). Empty for no strokes.
ustring formatKeySequence(const std::vector<KeyStroke>& sequence);
