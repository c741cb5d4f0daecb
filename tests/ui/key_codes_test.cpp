#include "ui/key_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/key_stroke.h"

// A row out of order or entered twice would silently replace another
// code's name; a name entered twice would make one of its codes unreachable
// from key map files.
TEST(KeyCodes, TableHoldsEachCodeAndNameOnce)
{
    std::set<std::string> names;
    int32_t previous = 0;
    for (const KeyCodeName& row : kKeyCodeNames) {
        SCOPED_TRACE(row.name);
        EXPECT_GT(row.code, previous);
        EXPECT_LT(row.code, kKeyCodeCount);
        EXPECT_TRUE(names.insert(row.name).second);
        previous = row.code;
    }
}

TEST(KeyCodes, EveryRowRoundTripsThroughTheLookups)
{
    for (const KeyCodeName& row : kKeyCodeNames) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(keyName(row.code), row.name);
        EXPECT_EQ(keyCode(row.name), row.code);
    }
}

// The codes the program handles by name: each must be one a key map can
// write, except the third click, which bindings never see.
TEST(KeyCodes, NamedConstantsHaveTheirKeyMapNames)
{
    struct Case {
        int32_t code;
        const char* name;
    };
    const Case cases[] = {
        {kKeyTab, "tab"},           {kKeyEnter, "enter"},         {kKeySpace, "space"},
        {kKeyQuote, "quote"},       {kKeyBackslash, "backslash"}, {kKeyA, "a"},
        {kKeyZ, "z"},               {kKey0, "0"},                 {kKey9, "9"},
        {kKeyKeypadEnter, "keypad_enter"}, {kKeyF9, "f9"},        {kKeyLeftShift, "leftshift"},
        {kKeyRightAlt, "rightalt"}, {kKeyLeftSuper, "leftsuper"}, {kKeyBrowserHome, "browser_home"},
        {kMouseLeft, "mouse1"},     {kMouseExtraSecond, "mouse5"}, {kMouseDoubleClick, "doubleclick"},
        {kMouseTripleClick, "unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(keyName(c.code), c.name);
    }
}
