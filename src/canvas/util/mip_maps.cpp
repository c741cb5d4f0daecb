// Software mip levels through the gamma tables: each level is made from the
// one before it, never from level 0, and only two levels exist at a time.
#include "canvas/util/mip_maps.h"

#include <algorithm>
#include <cmath>
#include <vector>

void buildGammaTables(GammaTables& tables)
{
    const float f = 1.0f / 255.0f;
    for (int i = 0; i < 256; ++i) {
        const double x = double(float(i) * f);
        tables.toLinear[i] = uint8_t(std::min(255.0, std::trunc(std::pow(x, 2.2) * 255.0 + 0.5)));
        tables.toGamma[i] =
            uint8_t(std::min(255.0, std::trunc(std::pow(x, 0.45454545454545453) * 255.0 + 0.5)));
    }
}

const GammaTables& gammaTables()
{
    static const GammaTables tables = [] {
        GammaTables built;
        buildGammaTables(built);
        return built;
    }();
    return tables;
}

namespace {

// Built before the entry point, like the program's other tables; first use
// builds them when an earlier static initialiser asks.
const bool s_gammaTablesBuilt = (gammaTables(), true);

} // namespace

void downsampleChannel(const uint8_t* source, uint8_t* destination, int sourceWidth,
                       int sourceHeight, int sourcePitch, int destinationWidth,
                       int destinationHeight, int destinationPitch, int pixelStep)
{
    if (destinationWidth <= 0 || destinationHeight <= 0)
        return;
    const GammaTables& gamma = gammaTables();
    const int rx = std::max(1, sourceWidth / destinationWidth);
    const int ry = std::max(1, sourceHeight / destinationHeight);
    for (int y = 0; y < destinationHeight; ++y) {
        uint8_t* out = destination + y * destinationPitch;
        const uint8_t* row = source + y * ry * sourcePitch;
        for (int x = 0; x < destinationWidth; ++x, out += pixelStep) {
            const uint8_t* block = row + x * rx * pixelStep;
            if (rx == 2 && ry == 2) {
                *out = gamma.toGamma[(gamma.toLinear[block[0]] + gamma.toLinear[block[pixelStep]] +
                                      gamma.toLinear[block[sourcePitch]] +
                                      gamma.toLinear[block[sourcePitch + pixelStep]]) >>
                                     2];
                continue;
            }
            unsigned sum = 0;
            for (int by = 0; by < ry; ++by)
                for (int bx = 0; bx < rx; ++bx)
                    sum += gamma.toLinear[block[by * sourcePitch + bx * pixelStep]];
            *out = gamma.toGamma[sum / unsigned(rx * ry)];
        }
    }
}

namespace {

// One level of an image from the level twice its size (each side at least
// 1), every byte of a pixel averaged alike.
void averageLevel(const uint32_t* source, int width, int height, uint32_t* destination, int nextWidth,
                  int nextHeight)
{
    const uint8_t* from = reinterpret_cast<const uint8_t*>(source);
    uint8_t* to = reinterpret_cast<uint8_t*>(destination);
    for (int channel = 0; channel < 4; ++channel)
        downsampleChannel(from + channel, to + channel, width, height, width * 4, nextWidth, nextHeight,
                          nextWidth * 4, 4);
}

// One level of a glyph atlas from the level twice its size. A pixel is
// opaque where any texel of its block is, in the linear-light mean colour of
// the block's opaque texels; a block without ink keeps the mean of all.
void inkLevel(const uint32_t* source, int width, int height, uint32_t* destination, int nextWidth,
              int nextHeight)
{
    const GammaTables& gamma = gammaTables();
    const int rx = std::max(1, width / nextWidth);
    const int ry = std::max(1, height / nextHeight);
    for (int y = 0; y < nextHeight; ++y) {
        for (int x = 0; x < nextWidth; ++x) {
            unsigned inkSum[3] = {0, 0, 0}, allSum[3] = {0, 0, 0};
            unsigned inked = 0, alpha = 0;
            for (int by = 0; by < ry; ++by) {
                for (int bx = 0; bx < rx; ++bx) {
                    const uint32_t word = source[size_t(y * ry + by) * width + size_t(x * rx + bx)];
                    const unsigned wordAlpha = word >> 24;
                    alpha = std::max(alpha, wordAlpha);
                    for (int c = 0; c < 3; ++c) {
                        const unsigned value = gamma.toLinear[(word >> (8 * c)) & 0xFF];
                        allSum[c] += value;
                        if (wordAlpha)
                            inkSum[c] += value;
                    }
                    inked += wordAlpha != 0;
                }
            }
            const unsigned* sum = inked ? inkSum : allSum;
            const unsigned count = inked ? inked : unsigned(rx * ry);
            uint32_t word = alpha << 24;
            for (int c = 0; c < 3; ++c)
                word |= uint32_t(gamma.toGamma[sum[c] / count]) << (8 * c);
            destination[size_t(y) * nextWidth + x] = word;
        }
    }
}

using LevelRule = void (*)(const uint32_t*, int, int, uint32_t*, int, int);

void generateLevels(int width, int height, const uint32_t* pixels, const MipLevelSink& sink, LevelRule rule)
{
    sink(0, width, height, pixels);
    std::vector<uint32_t> previous;
    std::vector<uint32_t> next;
    const uint32_t* source = pixels;
    for (int level = 1; width > 1 || height > 1; ++level) {
        const int nextWidth = width >= 2 ? width / 2 : 1;
        const int nextHeight = height >= 2 ? height / 2 : 1;
        next.assign(size_t(nextWidth) * nextHeight, 0);
        rule(source, width, height, next.data(), nextWidth, nextHeight);
        sink(level, nextWidth, nextHeight, next.data());
        previous.swap(next);
        source = previous.data();
        width = nextWidth;
        height = nextHeight;
    }
}

} // namespace

void generateMipLevels(int width, int height, const uint32_t* pixels, const MipLevelSink& sink)
{
    generateLevels(width, height, pixels, sink, averageLevel);
}

void generateGlyphMipLevels(int width, int height, const uint32_t* pixels, const MipLevelSink& sink)
{
    generateLevels(width, height, pixels, sink, inkLevel);
}
