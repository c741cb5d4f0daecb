#include "window_manager/window_placement.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "ui/unicode.h"

namespace {

// Fields that are read replace the starting values; the rest keep them.
TEST(WindowPlacement, ReadsFieldsUntilTheFirstThatIsNotThere)
{
    struct Case {
        const char16_t* text;
        int count;
        const char* result; // formatted, starting from all fields 7
    };
    const Case cases[] = {
        {u"0,0,1,-1,-1,-1,-1,100,100,740,580", 11, "0,0,1,-1,-1,-1,-1,100,100,740,580"},
        {u"1,2,3", 3, "1,2,3,7,7,7,7,7,7,7,7"},
        {u"", 0, "7,7,7,7,7,7,7,7,7,7,7"},
        {u" 1,\t+2, -3", 3, "1,2,-3,7,7,7,7,7,7,7,7"},
        // A blank before a comma ends the reading, as in a "%d," scan.
        {u"1 ,2", 1, "1,7,7,7,7,7,7,7,7,7,7"},
        {u"1,x,3", 1, "1,7,7,7,7,7,7,7,7,7,7"},
        {u"1,2,", 2, "1,2,7,7,7,7,7,7,7,7,7"},
        {u"-", 0, "7,7,7,7,7,7,7,7,7,7,7"},
        {u"12abc", 1, "12,7,7,7,7,7,7,7,7,7,7"},
        {u"99999999999,-99999999999", 2, "2147483647,-2147483648,7,7,7,7,7,7,7,7,7"},
        {u"1,2,3,4,5,6,7,8,9,10,11,12", 11, "1,2,3,4,5,6,7,8,9,10,11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        WindowPlacement placement;
        for (int i = 0; i < WindowPlacement::kFieldCount; ++i)
            placement.field(i) = 7;
        EXPECT_EQ(parsePlacement(c.text, placement), c.count);
        EXPECT_EQ(toUtf8(formatPlacement(placement)), c.result);
    }
}

// Session text is untrusted: a show state that could leave the window
// hidden or minimised is not applied.
TEST(WindowPlacement, OpensWithOnlyTheShowStatesThatLeaveTheWindowReachable)
{
    struct Case {
        int32_t saved;
        int32_t opened; // the window's current state is 1
    };
    const Case cases[] = {
        {1, 1}, {3, 3}, {5, 5}, {8, 8},
        {2, 5}, {7, 8}, // minimised: shown at the restored rect
        {0, 1}, {4, 1}, {6, 1}, {9, 1}, {10, 1}, {11, 1}, {-1, 1}, {INT32_MIN, 1}, {INT32_MAX, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        EXPECT_EQ(openingShowCommand(c.saved, 1), c.opened);
    }
}

} // namespace
