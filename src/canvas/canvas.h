// The drawing surface of one window. Every pixel the toolkit paints goes
// through a Canvas: controls, text views, panels. It is immediate: each call
// draws with the state current at that moment, in call order. (A renderer
// may hold drawing back until its device must show it, see
// DX9Renderer::submit; the frame comes out the same.) Besides drawing it
// makes and caches the two resources that depend on the graphics interface,
// textures of package images and fonts.
//
// Coordinates are window pixels as floats, origin top left, y downward,
// multiplied by the canvas transform. Colours are Colour values (0..1).
//
// State and its rules, kept by every canvas:
// - Fill: what filled primitives are painted with (a colour, or a texture
//   whose fill colour is white). The compound calls drawTexture, fillRect and
//   drawLine restore the fill they found; every setter returns the previous
//   value so callers can restore theirs.
// - Global alpha (1.0) and blend mode (BlendMode::Opaque), see BlendMode.
// - Clip: the unset interval2 means no clipping. Any other rect limits
//   drawing to the rect widened by one pixel on every side; an empty rect
//   hides everything (a collapsed panel must not paint over the window).
//   The clip is fixed in window coordinates when it is set.
//
// Main thread only.
#pragma once

#include <cstdint>

#include "canvas/colour.h"
#include "canvas/texture.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class UnicodeFont;

// How a canvas combines what it paints with the pixels already there. The
// values are those recorded canvas calls print.
enum class BlendMode {
    // Only a renderer's record of its device: the device's mode is not known
    // and must be sent again. A canvas never holds it.
    Unknown = -1,
    // Writes opaque pixels.
    Opaque = 0,
    // Blends by the global alpha alone, whatever the texture's alpha.
    GlobalAlpha = 1,
    // Blends by the texture's alpha alone.
    TextureAlpha = 2,
    // Blends by the texture's alpha times the global alpha.
    TextureTimesGlobalAlpha = 3,
};

// Whether the mode takes the texture's alpha into account.
constexpr bool usesTextureAlpha(BlendMode mode)
{
    return mode == BlendMode::TextureAlpha || mode == BlendMode::TextureTimesGlobalAlpha;
}

// A 4 x 4 transform in the row-vector layout of both graphics interfaces: a
// point is the row (x, y, z, 1) multiplied on the left, so the translation
// sits in m[12], m[13] and m[14].
struct Matrix4 {
    float m[16];
    static Matrix4 identity();
};
bool operator==(const Matrix4& a, const Matrix4& b);

struct FillState {
    bool isColour = false;
    Colour colour = {1, 1, 1};
    slate::SP<Texture> texture;
};
bool operator==(const FillState& a, const FillState& b);

// Every canvas draws lines this far left and down of where they are given,
// in window pixels. A line along pixel edges (whole coordinates, where
// carets, rulers and underlines lie) then takes the pixels left of a
// vertical edge and below a horizontal one on every graphics interface,
// where their own rules for a line exactly on an edge differ (Wine's
// Direct3D moves everything 1/128 of a pixel up and left; Mesa's subpixel
// grid is 1/256). The two differ so that no end point lands on the edge of
// a pixel's diamond: a line through pixel centres from one whole x to
// another (a tab mark) keeps exactly the pixels between its ends.
constexpr float kLineNudgeLeft = 1.f / 128;
constexpr float kLineNudgeDown = 1.f / 16;

// The unset rect, as a clip: no clipping.
interval2 unsetInterval();
bool isUnset(const interval2& r);

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual Matrix4 getTransform() = 0;
    virtual void setTransform(const Matrix4& transform) = 0;
    // Make the colour, or the texture, the fill; return the previous fill.
    virtual FillState pushColour(const Colour& colour) = 0;
    virtual FillState pushTexture(const slate::SP<Texture>& texture) = 0;
    virtual FillState setFillState(const FillState& fill) = 0;
    virtual float getAlpha() = 0;
    // Returns the previous alpha; the fill colour does not change.
    virtual float setAlpha(float alpha) = 0;
    virtual BlendMode getBlendMode() = 0;
    // Returns the previous mode.
    virtual BlendMode setBlendMode(BlendMode mode) = 0;
    // Installs the clip rect exactly as passed; returns the previous one.
    virtual interval2 setClip(const interval2& clip) = 0;
    // With no clip (the unset rect) installs `clip`; otherwise the
    // intersection {max x0, max y0, min x1, min y1}, which stays empty once
    // empty. Returns the previous clip: saved = intersectClip(area); draw;
    // setClip(saved).
    virtual interval2 intersectClip(const interval2& clip) = 0;
    // pushTexture, drawTexturedQuad, restore the fill.
    virtual void drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                             const interval2& textureRect) = 0;
    // One quad in the current fill. The texture rect's y1 belongs to the top
    // edge and y0 to the bottom: {0, 1, 1, 0} shows a texture upright. A
    // zero-width or zero-height destination paints nothing; an inverted one
    // covers the area between its edges under OpenGL and paints nothing
    // under Direct3D (as fillRect and drawTexture).
    virtual void drawTexturedQuad(const interval2& destination, const interval2& textureRect) = 0;
    virtual void fillRect(const interval2& rect, const Colour& colour) = 0;
    virtual void drawLine(const vector2& from, const vector2& to, const Colour& colour) = 0;
    // `vertices` holds {x, y, z} floats; count vertices taken in pairs.
    virtual void drawLines(const float* vertices, int count) = 0;
    virtual void drawLineStrip(const float* vertices, int count) = 0;
    // A triangle list in the current fill, three indices per triangle.
    virtual void drawIndexedTriangles(const float* vertices, const uint16_t* indices,
                                      int vertexCount, int indexCount) = 0;
    // The cached texture of a package image, else a new one when it loads;
    // null when it cannot be loaded (a failure is not remembered) and for an
    // empty path.
    virtual slate::SP<Texture> loadTexture(const ustring& path) = 0;
    // The cached texture or null; never loads.
    virtual slate::SP<Texture> findTexture(const ustring& path) = 0;
    // The font for a font spec ("Courier New 10 :bold") with `styleFlags`
    // added to the spec's, cached by (spec, flags). Never null; owned by the
    // canvas and valid while it lives.
    virtual UnicodeFont* getFont(const ustring& spec, int styleFlags) = 0;
    // True when the canvas rasterises as OpenGL does: a shape covers the
    // pixels whose centres (whole coordinates plus one half) it contains, and
    // a line takes the pixels whose centres it passes through. Text views
    // then move their selection and caret shapes half a pixel on, so outlines
    // run through pixel centres and filled corners keep the pixels the
    // drawings show (ViewFrame::halfPixelShapes). False for a canvas that
    // rasterises nothing (a recording canvas), whose shapes stay on the
    // coordinates the layout gives.
    virtual bool halfPixelShapes() const { return false; }
    // How many drawing calls the canvas has handed its graphics interface
    // since it was made, glyph batches included: a running total, so a
    // frame's share is the difference across it. 0 for a canvas without one
    // (software, recording).
    virtual uint64_t submissionCount() const { return 0; }
};
