// Package images are outside bytes: decodePng and the padding after it must
// refuse anything malformed without crashing or allocating without bound.
//
// A changed byte almost always lands inside a chunk, whose checksum then
// fails before the decoder looks at the data; so the target rewrites the
// checksum of every whole chunk first, and mutations reach the decoder.
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "fuzz_target.h"
#include "canvas/util/png_image.h"

namespace {

const size_t kSignatureSize = 8;
// Length and type before the data, the checksum after it.
const size_t kChunkOverhead = 12;

uint32_t readBigEndian(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

void writeBigEndian(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

// Sets the checksum (over type and data) of each chunk after the signature,
// up to the first chunk that does not fit in what is left.
void rewriteChunkChecksums(std::vector<uint8_t>& png)
{
    size_t at = kSignatureSize;
    while (at <= png.size() && png.size() - at >= kChunkOverhead) {
        const uint32_t length = readBigEndian(&png[at]);
        if (length > png.size() - at - kChunkOverhead)
            break;
        const uLong checksum = crc32(0, &png[at + 4], static_cast<uInt>(length) + 4);
        writeBigEndian(&png[at + 8 + length], static_cast<uint32_t>(checksum));
        at += kChunkOverhead + length;
    }
}

} // namespace

VANTREL_FUZZ_TARGET(decode_png)
{
    static std::vector<uint8_t> s_png;
    s_png.assign(data, data + size);
    rewriteChunkChecksums(s_png);

    int textureWidth = 0, textureHeight = 0, imageWidth = 0, imageHeight = 0;
    std::vector<uint32_t> pixels;
    std::string why;
    if (loadPaddedImage(s_png.data(), s_png.size(), textureWidth, textureHeight, imageWidth, imageHeight,
                        pixels, &why)) {
        if (pixels.size() != size_t(textureWidth) * size_t(textureHeight) || imageWidth > textureWidth ||
            imageHeight > textureHeight)
            std::abort();
        imageHasAlpha(pixels.data(), pixels.size());
    }
    return 0;
}
