#include "ui/text/token/fixed_length_vector.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

template <uint32_t N>
std::vector<int> contents(const fixed_length_vector<int, N>& v)
{
    return std::vector<int>(v.begin(), v.end());
}

} // namespace

TEST(FixedLengthVector, InsertMovesTheTailUp)
{
    fixed_length_vector<int, 8> v;
    const int first[] = {1, 2, 5, 6};
    const int middle[] = {3, 4};
    v.insert(v.begin(), first, first + 4);
    v.insert(v.begin() + 2, middle, middle + 2);
    EXPECT_EQ(contents(v), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(FixedLengthVector, EraseMovesTheTailDown)
{
    fixed_length_vector<int, 8> v;
    const int values[] = {1, 2, 3, 4, 5};
    v.insert(v.end(), values, values + 5);
    v.erase(v.begin() + 1, v.begin() + 3);
    EXPECT_EQ(contents(v), (std::vector<int>{1, 4, 5}));
}

TEST(FixedLengthVector, HoldsExactlyItsCapacity)
{
    fixed_length_vector<int, 4> v;
    const int values[] = {1, 2, 3, 4};
    v.insert(v.end(), values, values + 4);
    EXPECT_TRUE(v.full());
    EXPECT_EQ(v.size(), 4u);
}
