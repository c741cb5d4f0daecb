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

// Indexed by code; codes the table does not list read "unknown".
std::array<const char*, kKeyCodeCount> buildNames()
{
    std::array<const char*, kKeyCodeCount> names;
    names.fill(kUnknown);
    for (const KeyCodeName& row : kKeyCodeNames)
        names[row.code] = row.name;
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
