// Package images are outside bytes: decodePng and the padding after it must
// refuse anything malformed without crashing or allocating without bound.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/util/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int textureWidth = 0, textureHeight = 0, imageWidth = 0, imageHeight = 0;
    std::vector<uint32_t> pixels;
    std::string why;
    if (loadPaddedImage(data, size, textureWidth, textureHeight, imageWidth, imageHeight, pixels, &why)) {
        if (pixels.size() != size_t(textureWidth) * size_t(textureHeight) || imageWidth > textureWidth ||
            imageHeight > textureHeight)
            __builtin_trap();
        imageHasAlpha(pixels.data(), pixels.size());
    }
    return 0;
}
