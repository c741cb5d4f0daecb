// A colour as the canvas, the fonts and the renderers pass it: red, green and
// blue in 0..1, no alpha (a canvas blends by its global alpha and blend
// mode). Text is drawn anti-aliased against a known background, so text and
// background travel together as a ColourPair.
#pragma once

struct Colour {
    float red = 0.f;
    float green = 0.f;
    float blue = 0.f;

    constexpr Colour() = default;
    constexpr Colour(float redValue, float greenValue, float blueValue)
        : red(redValue), green(greenValue), blue(blueValue)
    {
    }
    // From the three-float form colour parsing and the style tables keep.
    constexpr Colour(const float (&rgb)[3]) : red(rgb[0]), green(rgb[1]), blue(rgb[2]) {}

    friend constexpr bool operator==(const Colour& a, const Colour& b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
    friend constexpr bool operator!=(const Colour& a, const Colour& b) { return !(a == b); }
};

// `weightA` of `a` plus `weightB` of `b`, channel by channel.
constexpr Colour mixColours(const Colour& a, float weightA, const Colour& b, float weightB)
{
    return {a.red * weightA + b.red * weightB, a.green * weightA + b.green * weightB,
            a.blue * weightA + b.blue * weightB};
}

// The colours of text and of the background it is drawn against.
struct ColourPair {
    Colour text;
    Colour background;

    friend constexpr bool operator==(const ColourPair& a, const ColourPair& b)
    {
        return a.text == b.text && a.background == b.background;
    }
};

// The colour of white space drawn as visible marks (the dot of a blank, the
// line of a tab): 0.65 x background + 0.35 x text.
constexpr Colour whiteSpaceMarkColour(const ColourPair& colours)
{
    return mixColours(colours.background, 0.65f, colours.text, 0.35f);
}
