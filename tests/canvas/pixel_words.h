// The words a renderer test reads back from a frame (0x00RRGGBB, as
// RendererHarness::readPixels gives them) and the colours its scenes draw
// with.
#pragma once

#include <cstdint>

inline int red(uint32_t p) { return int(p >> 16 & 0xFF); }
inline int green(uint32_t p) { return int(p >> 8 & 0xFF); }
inline int blue(uint32_t p) { return int(p & 0xFF); }

const float kBlack[3] = {0, 0, 0};
const float kRed[3] = {1, 0, 0};
