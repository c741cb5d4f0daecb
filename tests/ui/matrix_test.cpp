#include <gtest/gtest.h>

#include "ui/matrix.h"

namespace {

void translation(float m[16], float x, float y, float z)
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void scale(float m[16], float s)
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? s : 0.0f;
    m[15] = 1.0f;
}

// out = a x b applies b first: scaling by 2 then moving by (1, 2, 3) maps the
// origin to (1, 2, 3) and (1, 1, 1) to (3, 4, 5).
TEST(MultiplyMatrix, ProductAppliesRightOperandFirst)
{
    float move[16], grow[16], out[16];
    translation(move, 1, 2, 3);
    scale(grow, 2);
    multiplyMatrix(out, move, grow);
    EXPECT_FLOAT_EQ(out[0], 2);
    EXPECT_FLOAT_EQ(out[12], 1);
    EXPECT_FLOAT_EQ(out[13], 2);
    EXPECT_FLOAT_EQ(out[14], 3);
    EXPECT_FLOAT_EQ(out[0] * 1 + out[12], 3);

    // The other order scales the translation too.
    multiplyMatrix(out, grow, move);
    EXPECT_FLOAT_EQ(out[12], 2);
    EXPECT_FLOAT_EQ(out[14], 6);
}

TEST(MultiplyMatrix, OutputMayAliasAnOperand)
{
    float a[16], b[16];
    translation(a, 1, 0, 0);
    translation(b, 0, 5, 0);
    multiplyMatrix(a, a, b);
    EXPECT_FLOAT_EQ(a[12], 1);
    EXPECT_FLOAT_EQ(a[13], 5);
}

} // namespace
