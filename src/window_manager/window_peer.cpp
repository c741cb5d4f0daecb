#include "window_manager/window_peer.h"

void framePixelProjection(int width, int height, float out[16])
{
    // A minimised window reports a client area of 0 x 0.
    width = width < 1 ? 1 : width;
    height = height < 1 ? 1 : height;
    const float m[16] = {2.f / float(width), 0, 0, 0, 0, -2.f / float(height), 0, 0,
                         0, 0, -0.5f, 0, -1, 1, 0.5f, 1};
    for (int i = 0; i < 16; ++i)
        out[i] = m[i];
}
