// PNG images decoded from memory into the pixel layout every texture path of
// the toolkit uses, and padded to the power-of-two sizes old graphics
// interfaces need.
//
// Pixels are 32-bit words 0xAARRGGBB (bytes B, G, R, A in memory), rows top
// first with no gaps between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest image side and pixel count accepted, before and after padding.
// A file claiming more is refused before anything of that size is allocated:
// images come from packages, and a corrupt or hostile header must not make
// the program reserve gigabytes.
constexpr int kMaxImageSide = 8192;
constexpr int64_t kMaxImagePixels = int64_t(4096) * 4096;

// Decodes an RGBA, grey-with-alpha or RGB PNG. 16-bit channels become 8-bit.
// RGB pixels get alpha 0 (they are "without alpha", not opaque); grey with
// alpha puts the grey value in red, green and blue. Returns false, with the
// outputs unspecified and a reason in `why` when given, for palette and plain
// grey images, for anything libpng cannot read (truncated, corrupt) and for
// images beyond the limits above. Never throws; any thread.
bool decodePng(const void* data, size_t size, int& width, int& height,
               std::vector<uint32_t>& pixels, std::string* why = nullptr);

// decodePng, then pads the image to power-of-two sides (1 for a side below
// 2): the image sits in the top-left corner and every other pixel is 0
// (transparent black). The same failures.
bool loadPaddedImage(const void* data, size_t size, int& textureWidth, int& textureHeight,
                     int& imageWidth, int& imageHeight, std::vector<uint32_t>& pixels,
                     std::string* why = nullptr);

// Whether a texture made of these pixels must be blended by its own alpha:
// true when any alpha is neither 0 nor 255, or differs from the first
// pixel's. An RGB image (all alpha 0) and an opaque unpadded one give false;
// a padded opaque image gives true, because of its transparent padding.
bool imageHasAlpha(const uint32_t* pixels, size_t count);

// The smallest power of two >= `size` (1 for sizes below 2).
int paddedSize(int size);
