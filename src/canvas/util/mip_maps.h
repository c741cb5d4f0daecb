// Gamma-correct mip levels built in software, for package images and glyph
// atlases alike. Averaging happens in linear light: a 2 x 2 block of two
// black and two white texels gives 186, not 128, so thin light text on a
// dark ground does not fade as it shrinks.
#pragma once

#include <cstdint>
#include <functional>

struct GammaTables {
    // toLinear[i] = min(255, trunc((i / 255)^2.2 * 255 + 0.5))
    uint8_t toLinear[256];
    // toGamma[i] = min(255, trunc((i / 255)^(1 / 2.2) * 255 + 0.5))
    uint8_t toGamma[256];
};

// Fills both tables.
void buildGammaTables(GammaTables& tables);
// The process's tables, built on first use; constant afterwards. Any thread.
const GammaTables& gammaTables();

// One byte channel of a mip level from the previous level. rx = source width
// / destination width and ry likewise (integer division, at least 1); each
// destination byte is toGamma of the mean of the toLinear values of its rx x
// ry source block. Rows are `sourcePitch` and `destinationPitch` bytes apart
// and neighbouring pixels `pixelStep` bytes apart; the caller offsets both
// pointers to the channel.
void downsampleChannel(const uint8_t* source, uint8_t* destination, int sourceWidth,
                       int sourceHeight, int sourcePitch, int destinationWidth,
                       int destinationHeight, int destinationPitch, int pixelStep);

// Calls `sink` for level 0 (the caller's pixels) and then for every smaller
// level, each side halved (at least 1), down to 1 x 1; a 4 x 1 image gives
// 4 x 1, 2 x 1 and 1 x 1. All four bytes of a pixel, alpha included, are
// averaged alike. The pixels handed to `sink` live until it returns.
using MipLevelSink = std::function<void(int level, int width, int height, const uint32_t* pixels)>;
void generateMipLevels(int width, int height, const uint32_t* pixels, const MipLevelSink& sink);

// The same levels for a glyph atlas (0xAARRGGBB words, alpha 0 on the
// background, 255 on ink). Averaging would mix the ink with the background
// texels and fade it to the background as the text shrinks, until a
// minimap's text all but vanished. Here a pixel is opaque (alpha the
// block's largest) where its block holds any ink, in the linear-light mean
// colour of the ink alone; a block without ink keeps the mean of all.
// Shrunk text so reads as solid marks in its own colour.
void generateGlyphMipLevels(int width, int height, const uint32_t* pixels, const MipLevelSink& sink);
