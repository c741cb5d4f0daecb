// Colour values of the schemes and the blending of "#RRGGBBAA" texts. Scheme
// files use an alpha pair to ask for a colour mixed with the background; the
// blend is done once, at load time, and written back as "#RRGGBB" text, so
// everything downstream only ever parses opaque colours. The arithmetic
// (single-precision 1/255, truncation) is kept exactly as stored schemes have
// always been rendered, down to "#FF000080" over white giving "#FF7E7E".
#include "ui/text/syntax/style.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "canvas/util/colour.h"

namespace {

// The single-precision value of 1/255, slightly more than 1/255.
const float kInverse255 = 0.003921569f;

void setColour(float colour[3], float red, float green, float blue)
{
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
}

bool sameColour(const float a[3], const float b[3])
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

} // namespace

bool operator==(const Style& a, const Style& b)
{
    return sameColour(a.foreground, b.foreground) && sameColour(a.background, b.background) &&
           sameColour(a.thirdColour, b.thirdColour) &&
           a.backgroundIsDefault == b.backgroundIsDefault && a.secondFlag == b.secondFlag;
}

SchemeColours::SchemeColours()
{
    setColour(background, 1.0f, 1.0f, 1.0f);
    setColour(caret, 0.0f, 0.0f, 0.0f);
    setColour(selection, 0.0f, 0.0f, 0.8f);
    setColour(selectionForeground, 1.0f, 1.0f, 1.0f);
    setColour(selectionMix, 0.6f, 0.6f, 0.6f);
    setColour(selectionMixForeground, 1.0f, 1.0f, 1.0f);
    setColour(lineHighlight, 0.9f, 0.9f, 0.9f);
    setColour(lineHighlightMix, 1.0f, 1.0f, 1.0f);
    setColour(foregroundQuarterMix, 0.25f, 0.25f, 0.25f);
    setColour(brackets, 0.0f, 0.0f, 0.0f);
    setColour(foregroundHalfMix, 0.0f, 0.0f, 0.0f);
}

ustring blendColourText(const ustring& text, const float base[3])
{
    // The eight digits after "#", each unit cut to its low byte.
    char digits[9] = {};
    for (size_t i = 1; i < text.size() && i <= 8; ++i)
        digits[i - 1] = static_cast<char>(text[i] & 0xFF);
    const uint32_t value = static_cast<uint32_t>(std::strtoul(digits, nullptr, 16));

    const float alpha = static_cast<float>(value & 0xFF) * kInverse255;
    int channels[3];
    for (int i = 0; i < 3; ++i) {
        const uint32_t channel = (value >> (24 - 8 * i)) & 0xFF;
        const float opaque = static_cast<float>(channel) * kInverse255;
        const double mixed =
            ((1.0 - alpha) * static_cast<double>(base[i]) + static_cast<double>(opaque) * alpha) * 255.0;
        // Truncation toward zero; the clamp only guards against a base outside
        // 0..1, which would otherwise print as eight digits.
        channels[i] = std::min(255, std::max(0, static_cast<int>(mixed)));
    }

    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", channels[0], channels[1], channels[2]);
    return ustring(buffer, buffer + 7);
}

bool parseSchemeColour(const ustring& text, float colour[3], const float base[3])
{
    if (text.size() == 9 && text[0] == u'#')
        return parseColour(blendColourText(text, base), colour);
    return parseColour(text, colour);
}
