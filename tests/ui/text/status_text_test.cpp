#include "ui/text/status_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/unicode.h"

namespace {

// Rows end at "\n", as in a buffer.
const ustring kText = u"ab\ncdefgh\nijklmnop";

void rowColumnInText(int64_t position, int32_t& row, int32_t& column)
{
    row = 0;
    column = 0;
    for (int64_t i = 0; i < position && i < int64_t(kText.size()); ++i) {
        if (kText[size_t(i)] == u'\n') {
            ++row;
            column = 0;
        } else {
            ++column;
        }
    }
}

int32_t newlinesInText(const SelectionRegion& region)
{
    int32_t count = 0;
    for (int64_t i = region.begin(); i < region.end(); ++i)
        count += kText[size_t(i)] == u'\n';
    return count;
}

SelectionSet selectionOf(const std::vector<SelectionRegion>& regions)
{
    SelectionSet set;
    for (const SelectionRegion& region : regions)
        set.add(region);
    return set;
}

TEST(StatusText, DescribesTheSelectionAndTheSnippetFields)
{
    struct Case {
        const char* name;
        std::vector<SelectionRegion> regions;
        size_t currentGroup;
        size_t groupCount;
        const char* text;
    };
    const Case cases[] = {
        {"caret at the start", {{0, 0}}, 0, 1, "Line 1, Column 1"},
        {"caret inside the second line", {{5, 5}}, 0, 1, "Line 2, Column 3"},
        {"caret on a line break", {{2, 2}}, 0, 1, "Line 1, Column 3"},
        {"selection on one line", {{3, 8}}, 0, 1, "5 characters selected"},
        {"selection over two line breaks", {{0, 12}}, 0, 1, "3 lines, 12 characters selected"},
        {"reversed selection", {{12, 0}}, 0, 1, "3 lines, 12 characters selected"},
        {"selection ending on a line break", {{3, 10}}, 0, 1, "2 lines, 7 characters selected"},
        {"three carets", {{0, 0}, {4, 4}, {11, 11}}, 0, 1, "3 selection regions"},
        {"no selection", {}, 0, 1, "0 selection regions"},
        {"first of three fields", {{0, 0}}, 0, 3, "Line 1, Column 1 - Field 1 of 3"},
        {"last of three fields", {{3, 8}}, 2, 3, "5 characters selected - Field 3 of 3"},
        {"single field group", {{0, 0}}, 0, 1, "Line 1, Column 1"},
        {"no field group", {{0, 0}, {4, 4}}, 0, 0, "2 selection regions"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, toUtf8(statusText(selectionOf(c.regions), rowColumnInText, newlinesInText,
                                             c.currentGroup, c.groupCount)));
    }
}

} // namespace
