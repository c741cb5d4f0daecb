// The key-name table and the text forms of strokes. Names are kept as one
// array indexed by code, so naming a code is an index; the reverse lookup is
// a hash table built once from that array on first use, because every key
// element of every binding is looked up at each key map reload.
#include "input/key_stroke.h"

#include <array>
#include <unordered_map>

#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

const char kUnknown[] = "unknown";

struct NamedRange {
    int first;
    std::initializer_list<const char*> names; // consecutive codes from `first`
};

// The whole table, in code order. Codes it does not list have no name.
std::array<const char*, kKeyCodeCount> buildNames()
{
    static const NamedRange kRanges[] = {
        {8, {"backspace", "tab"}},
        {12, {"clear", "enter"}},
        {19, {"pause"}},
        {27, {"escape"}},
        {32, {"space", "exclaim", "quotedbl", "hash", "dollar"}},
        {38, {"ampersand", "quote", "leftparen", "rightparen", "asterisk", "plus", "comma", "minus",
              "period", "slash", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "colon",
              "semicolon", "less", "equals", "greater", "question", "at"}},
        {91, {"leftbracket", "backslash", "rightbracket", "caret", "underscore", "backquote", "a",
              "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r",
              "s", "t", "u", "v", "w", "x", "y", "z"}},
        {127, {"delete"}},
        {256, {"keypad0", "keypad1", "keypad2", "keypad3", "keypad4", "keypad5", "keypad6",
               "keypad7", "keypad8", "keypad9", "keypad_period", "keypad_divide",
               "keypad_multiply", "keypad_minus", "keypad_plus", "keypad_enter", "keypad_equals",
               "up", "down", "right", "left", "insert", "home", "end", "pageup", "pagedown", "f1",
               "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10", "f11", "f12", "f13", "f14",
               "f15"}},
        {300, {"numlock", "capslock", "scrolllock", "rightshift", "leftshift", "rightcontrol",
               "leftcontrol", "rightalt", "leftalt", "rightmeta", "leftmeta", "leftsuper",
               "rightsuper", "mode", "compose", "help", "printscreen", "sysreq", "break",
               "contextmenu", "power", "euro", "undo"}},
        {400, {"browser_back", "browser_forward", "browser_refresh", "browser_stop",
               "browser_search", "browser_favorites", "browser_home"}},
        {500, {"mouse1", "mouse2", "mouse3", "mouse4", "mouse5", "doubleclick"}},
    };
    std::array<const char*, kKeyCodeCount> names;
    names.fill(kUnknown);
    for (const NamedRange& range : kRanges) {
        int code = range.first;
        for (const char* name : range.names)
            names[code++] = name;
    }
    return names;
}

// Built on first use, so that code running before main may name keys.
const std::array<const char*, kKeyCodeCount>& names()
{
    static const std::array<const char*, kKeyCodeCount> kNames = buildNames();
    return kNames;
}

bool containsNoCase(const slate::usubstring& text, const char16_t* part)
{
    return text.findNoCase(slate::usubstring(part)) != nullptr;
}

} // namespace

const char* keyName(int code)
{
    return code >= 0 && code < kKeyCodeCount ? names()[code] : kUnknown;
}

int keyCode(const std::string& name)
{
    static const std::unordered_map<std::string, int> kCodes = [] {
        std::unordered_map<std::string, int> codes;
        for (int code = 0; code < kKeyCodeCount; ++code) {
            if (names()[code] != kUnknown)
                codes.emplace(names()[code], code);
        }
        return codes;
    }();
    auto it = kCodes.find(name);
    return it == kCodes.end() ? 0 : it->second;
}

bool parseKey(const slate::usubstring& element, KeyStroke& stroke)
{
    if (element.length() == 1) {
        stroke.character = element[0];
        return stroke.character != 0;
    }
    if (containsNoCase(element, u"ctrl+"))
        stroke.modifiers |= kModifierCtrl;
    if (containsNoCase(element, u"alt+"))
        stroke.modifiers |= kModifierAlt;
    if (containsNoCase(element, u"shift+"))
        stroke.modifiers |= kModifierShift;
    const uchar* plus = element.rfind(u'+');
    slate::usubstring name(plus ? plus + 1 : element.begin, element.end);
    stroke.key = keyCode(toUtf8(toLower(name)));
    return stroke.key != 0;
}

ustring formatKeySequence(const std::vector<KeyStroke>& sequence)
{
    ustring text;
    for (size_t i = 0; i < sequence.size(); ++i) {
        const KeyStroke& stroke = sequence[i];
        if (i > 0)
            text += u", ";
        if (stroke.modifiers & kModifierCtrl)
            text += u"Ctrl+";
        if (stroke.modifiers & kModifierAlt)
            text += u"Alt+";
        if (stroke.modifiers & kModifierShift)
            text += u"Shift+";
        if (stroke.character) {
            text += static_cast<uchar>(stroke.character);
        } else {
            ustring name = toUstring(keyName(stroke.key));
            if (!name.empty() && name[0] >= u'a' && name[0] <= u'z')
                name[0] = static_cast<uchar>(name[0] - u'a' + u'A');
            text += name;
        }
    }
    return text;
}
