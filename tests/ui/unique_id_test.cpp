#include <gtest/gtest.h>

#include "ui/unique_id.h"

TEST(UniqueId, EachCallGivesTheNextPositiveId)
{
    const int first = nextUniqueId();
    EXPECT_GE(first, 1);
    EXPECT_EQ(nextUniqueId(), first + 1);
    EXPECT_EQ(nextUniqueId(), first + 2);
}
