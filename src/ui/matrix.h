// 4 x 4 float matrices as the drawing code passes them: column by column,
// the element of row r and column c at index 4c + r.
#pragma once

// out = a x b. As a transform, out applies b to a point first and then a.
// `out` may be the same array as `a` or `b`.
void multiplyMatrix(float out[16], const float a[16], const float b[16]);
