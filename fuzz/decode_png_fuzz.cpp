// Package images are outside bytes: decodePng and the padding after it must
// refuse anything malformed without crashing or allocating without bound.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "canvas/util/png_image.h"

VANTREL_FUZZ_TARGET(decode_png)
{
    int textureWidth = 0, textureHeight = 0, imageWidth = 0, imageHeight = 0;
    std::vector<uint32_t> pixels;
    std::string why;
    if (loadPaddedImage(data, size, textureWidth, textureHeight, imageWidth, imageHeight, pixels, &why)) {
        if (pixels.size() != size_t(textureWidth) * size_t(textureHeight) || imageWidth > textureWidth ||
            imageHeight > textureHeight)
            std::abort();
        imageHasAlpha(pixels.data(), pixels.size());
    }
    return 0;
}
