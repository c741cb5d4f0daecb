#include "ui/matrix.h"

void multiplyMatrix(float out[16], const float a[16], const float b[16])
{
    // Computed into a temporary so that `out` may alias an operand.
    float product[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * column + k];
            product[4 * column + row] = sum;
        }
    for (int i = 0; i < 16; ++i)
        out[i] = product[i];
}
