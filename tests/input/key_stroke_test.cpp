#include "input/key_stroke.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/unicode.h"

TEST(KeyNames, NamesAndCodesAgree)
{
    struct Case {
        int code;
        const char* name;
    };
    const Case cases[] = {
        {0, "unknown"},   {37, "unknown"},       {506, "unknown"},    {507, "unknown"},
        {600, "unknown"}, {-1, "unknown"},       {505, "doubleclick"}, {8, "backspace"},
        {13, "enter"},    {36, "dollar"},        {38, "ampersand"},   {43, "plus"},
        {48, "0"},        {64, "at"},            {91, "leftbracket"}, {96, "backquote"},
        {97, "a"},        {122, "z"},            {127, "delete"},     {256, "keypad0"},
        {271, "keypad_enter"}, {272, "keypad_equals"}, {273, "up"},   {281, "pagedown"},
        {282, "f1"},      {296, "f15"},          {297, "unknown"},    {300, "numlock"},
        {322, "undo"},    {323, "unknown"},      {400, "browser_back"}, {406, "browser_home"},
        {500, "mouse1"},  {504, "mouse5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(keyName(c.code), c.name);
        if (std::string(c.name) != "unknown")
            EXPECT_EQ(keyCode(c.name), c.code);
    }
}

TEST(KeyNames, EveryNameMapsBackToItsOwnCode)
{
    int named = 0;
    for (int code = 0; code < kKeyCodeCount; ++code) {
        const std::string name = keyName(code);
        if (name == "unknown")
            continue;
        ++named;
        EXPECT_EQ(keyCode(name), code) << name;
    }
    EXPECT_EQ(named, 148);
}

TEST(KeyNames, UnknownTextHasCodeZero)
{
    for (const char* name : {"F1", "", "unknown", "Enter", "f16", "ctrl"})
        EXPECT_EQ(keyCode(name), 0) << name;
}

TEST(KeyNames, ParseKeyElements)
{
    struct Case {
        const char16_t* element;
        bool ok;
        KeyStroke stroke;
    };
    const Case cases[] = {
        {u"a", true, {0, 0, u'a'}},
        {u"+", true, {0, 0, u'+'}},
        {u",", true, {0, 0, u','}},
        {u"A", true, {0, 0, u'A'}},
        {u"enter", true, {13, 0, 0}},
        {u"CTRL+Enter", true, {13, kModifierCtrl, 0}},
        {u"ctrl+a", true, {97, kModifierCtrl, 0}},
        {u"shift+a", true, {97, kModifierShift, 0}},
        {u"Ctrl+Shift+F5", true, {286, kModifierCtrl | kModifierShift, 0}},
        {u"alt+ctrl+alt+x", true, {120, kModifierAlt | kModifierCtrl, 0}},
        {u"shift+plus", true, {43, kModifierShift, 0}},
        {u"ctrl+comma", true, {44, kModifierCtrl, 0}},
        {u" ctrl+j", true, {106, kModifierCtrl, 0}},
        {u"keypad_enter", true, {271, 0, 0}},
        {u"ctrl+", false, {}},
        {u"ctrl++", false, {}},
        {u" j", false, {}},
        {u"", false, {}},
        {u"unknown", false, {}},
        {u"ctrl+é", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.element)));
        KeyStroke stroke;
        EXPECT_EQ(parseKey(c.element, stroke), c.ok);
        if (c.ok) {
            EXPECT_EQ(stroke.key, c.stroke.key);
            EXPECT_EQ(stroke.modifiers, c.stroke.modifiers);
            EXPECT_EQ(stroke.character, c.stroke.character);
        }
    }
    KeyStroke nul;
    const uchar zero[] = {0};
    EXPECT_FALSE(parseKey(slate::usubstring(zero, zero + 1), nul));
}

TEST(KeyNames, SequenceDisplayText)
{
    struct Case {
        std::vector<KeyStroke> sequence;
        const char16_t* text;
    };
    const Case cases[] = {
        {{}, u""},
        {{{286, kModifierCtrl | kModifierShift, 0}}, u"Ctrl+Shift+F5"},
        {{{107, kModifierCtrl, 0}, {0, 0, u'b'}}, u"Ctrl+K, b"},
        {{{271, 0, 0}}, u"Keypad_enter"},
        {{{37, 0, 0}}, u"Unknown"},
        {{{49, kModifierAlt | kModifierShift | kModifierCtrl, 0}}, u"Ctrl+Alt+Shift+1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.text)));
        EXPECT_EQ(formatKeySequence(c.sequence), c.text);
    }
}

TEST(KeyStroke, OrdersByKeyThenModifiersThenCharacter)
{
    const KeyStroke ordered[] = {{0, 0, u'a'}, {0, 0, u'b'}, {13, 0, 0}, {13, kModifierAlt, 0}, {13, kModifierCtrl, 0}, {14, 0, 0}};
    for (size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_TRUE(ordered[i] < ordered[i + 1]) << i;
        EXPECT_FALSE(ordered[i + 1] < ordered[i]) << i;
    }
}
