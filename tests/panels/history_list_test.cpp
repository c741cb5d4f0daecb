// The field histories: what adding keeps, in which order, and how a session's
// lists come back. The recent-files configuration is covered beside opening.
#include "panels/history_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/unicode.h"

namespace {

using Entries = std::vector<ustring>;

HistoryList listOf(const Entries& newestFirst, bool ignoreCase, size_t maximumSize = kFieldHistoryMaximum)
{
    HistoryList list(maximumSize, ignoreCase);
    list.restore(newestFirst);
    return list;
}

TEST(HistoryList, TheSeventeenthDistinctEntryDropsTheOldest)
{
    HistoryList list(kFieldHistoryMaximum, false);
    for (int i = 1; i <= 17; ++i)
        list.add(u"entry" + toUstring(std::to_string(i)));
    ASSERT_EQ(kFieldHistoryMaximum, list.size());
    EXPECT_EQ(u"entry17", list[0]);
    EXPECT_EQ(u"entry2", list[15]);
}

TEST(HistoryList, AddingPutsTheTextFirstAndKeepsOneEntryOfIt)
{
    struct Case {
        const char* name;
        Entries before;
        bool ignoreCase;
        ustring added;
        Entries after;
    };
    const Case cases[] = {
        {"new text goes first", {u"b", u"a"}, false, u"c", {u"c", u"b", u"a"}},
        {"an older entry moves to the front", {u"c", u"b", u"a"}, false, u"a", {u"a", u"c", u"b"}},
        {"the newest again changes nothing", {u"b", u"a"}, false, u"b", {u"b", u"a"}},
        {"other case is the same entry, newest spelling kept", {u"x", u"Find", u"y"}, true, u"FIND",
         {u"FIND", u"x", u"y"}},
        {"other case is another entry when case matters", {u"x", u"Find"}, false, u"FIND",
         {u"FIND", u"x", u"Find"}},
        {"a longer text with an equal start is another entry", {u"ab"}, true, u"AB ", {u"AB ", u"ab"}},
        {"an empty text changes nothing", {u"b", u"a"}, false, u"", {u"b", u"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryList list = listOf(c.before, c.ignoreCase);
        list.add(c.added);
        EXPECT_EQ(c.after, list.entries());
    }
}

// The session's lists show as they were saved, even when the stored list
// is longer than the maximum or repeats an entry; the next add trims it.
TEST(HistoryList, RestoringAppendsWithoutDroppingAnythingUntilTheNextAdd)
{
    HistoryList list(2, true);
    list.add(u"typed");
    list.restore({u"a", u"A", u"b"});
    EXPECT_EQ((Entries{u"typed", u"a", u"A", u"b"}), list.entries());
    list.add(u"c");
    EXPECT_EQ((Entries{u"c", u"typed"}), list.entries());
}

} // namespace
