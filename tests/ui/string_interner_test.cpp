#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/string_interner.h"
#include "ui/unicode.h"

namespace {

TEST(StringInterner, EqualTextsShareOneCopy)
{
    StringInterner interner(4096);
    ustring text = u"ctrl+shift+p";
    const uchar* first = interner.intern(text.c_str());
    EXPECT_NE(first, text.c_str());
    text[0] = u'C'; // the interned copy does not depend on the argument
    EXPECT_EQ(ustring(first), u"ctrl+shift+p");
    EXPECT_EQ(interner.intern(u"ctrl+shift+p"), first);
    EXPECT_NE(interner.intern(u"ctrl+shift+P"), first);
    EXPECT_EQ(interner.size(), 2u);
}

TEST(StringInterner, RangeAndNulTerminatedFormsAgree)
{
    StringInterner interner;
    const ustring line = u"setting_name = value";
    const uchar* fromRange = interner.intern(slate::usubstring(line).substr(0, 12));
    EXPECT_EQ(fromRange[12], u'\0');
    EXPECT_EQ(interner.intern(u"setting_name"), fromRange);
}

TEST(StringInterner, EveryTextCanBeInterned)
{
    StringInterner interner;
    const uchar* empty = interner.intern(u"");
    const uchar* marker = interner.intern(u"___E");
    EXPECT_EQ(*empty, u'\0');
    EXPECT_EQ(ustring(marker), u"___E");
    EXPECT_EQ(interner.intern(u""), empty);
    EXPECT_EQ(interner.intern(u"___E"), marker);
    EXPECT_EQ(interner.size(), 2u);
}

TEST(StringInterner, SeventeenthTextGrowsTableFrom32To64)
{
    StringInterner interner(64);
    std::vector<const uchar*> stored;
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(interner.bucketCount(), 32u) << i;
        stored.push_back(interner.intern(toUstring("text " + std::to_string(i)).c_str()));
    }
    EXPECT_EQ(interner.bucketCount(), 64u);
    // Every string survives the rebuild and is still found.
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(interner.intern(toUstring("text " + std::to_string(i)).c_str()), stored[i]);
    EXPECT_EQ(interner.size(), 17u);
}

TEST(StringInterner, ManyTextsStayDistinctAndFindable)
{
    StringInterner interner(256);
    std::vector<const uchar*> stored;
    for (int i = 0; i < 2000; ++i)
        stored.push_back(interner.intern(toUstring(std::to_string(i * 7919)).c_str()));
    EXPECT_EQ(interner.size(), 2000u);
    EXPECT_EQ(interner.bucketCount(), 4096u);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(interner.intern(toUstring(std::to_string(i * 7919)).c_str()), stored[i]);
}

} // namespace
