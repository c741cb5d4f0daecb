// Builds small PNG files in memory for tests, so that each case states its
// pixels next to its expectations instead of hiding them in binary files.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace testing_png {

// Encodes `width` x `height` pixels of `colourType` (a PNG_COLOR_TYPE_*) at
// `bitDepth`, rows given as raw sample bytes, `channels` samples per pixel
// (big-endian 16-bit samples when bitDepth is 16). Palette images get a grey
// ramp palette. Empty on failure.
inline std::vector<unsigned char> encode(int width, int height, int colourType, int bitDepth,
                                         const std::vector<unsigned char>& samples,
                                         bool interlaced = false)
{
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return out;
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* buffer = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
            buffer->insert(buffer->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 256; ++i)
            palette[i].red = palette[i].green = palette[i].blue = png_byte(i);
        png_set_PLTE(png, info, palette, 1 << bitDepth);
    }
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(height);
    std::vector<unsigned char> copy = samples;
    copy.resize(rowBytes * height);
    for (int y = 0; y < height; ++y)
        rows[y] = copy.data() + y * rowBytes;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace testing_png
