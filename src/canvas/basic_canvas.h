// The part of a canvas that is the same on every graphics interface: the
// state with its setters, the compound calls built from the primitives, the
// texture cache with its file watch, and the font cache. A renderer derives
// from it and supplies the primitives, its texture class and its font helper.
#pragma once

#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "canvas/canvas.h"

class TextureUnicodeFontHelper;

class BasicCanvas : public Canvas {
public:
    // Watches "Packages/*.png" through the file manager when one is alive,
    // so an edited image is loaded again into its cached texture.
    BasicCanvas();
    ~BasicCanvas() override;
    BasicCanvas(const BasicCanvas&) = delete;
    BasicCanvas& operator=(const BasicCanvas&) = delete;

    Matrix4 getTransform() override { return m_transform; }
    void setTransform(const Matrix4& transform) override { m_transform = transform; }
    FillState pushColour(const Colour& colour) override;
    FillState pushTexture(const slate::SP<Texture>& texture) override;
    FillState setFillState(const FillState& fill) override;
    float getAlpha() override { return m_alpha; }
    float setAlpha(float alpha) override;
    BlendMode getBlendMode() override { return m_blendMode; }
    BlendMode setBlendMode(BlendMode mode) override;
    interval2 setClip(const interval2& clip) override;
    interval2 intersectClip(const interval2& clip) override;
    void drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                     const interval2& textureRect) override;
    void fillRect(const interval2& rect, const Colour& colour) override;
    void drawLine(const vector2& from, const vector2& to, const Colour& colour) override;
    slate::SP<Texture> loadTexture(const ustring& path) override;
    slate::SP<Texture> findTexture(const ustring& path) override;
    UnicodeFont* getFont(const ustring& spec, int styleFlags) override;
    uint64_t submissionCount() const override { return m_submissions; }
    // A renderer, or its font helper, calls this once for every drawing
    // call it hands the graphics interface.
    void countSubmission() { ++m_submissions; }

    const FillState& fillState() const { return m_fill; }
    const interval2& clipRect() const { return m_clip; }
    // Whether the clip lets nothing through: a set clip that is empty.
    bool clipHidesEverything() const { return !isUnset(m_clip) && m_clip.empty(); }
    // The file watch's work: reloads the texture of `path` when it is cached.
    void reloadTexture(const ustring& path);

protected:
    // A new, unloaded texture of this renderer for a package path.
    virtual Texture* createTexture(const ustring& path) = 0;
    // A new font helper of this renderer, owned by the font it is given to.
    virtual TextureUnicodeFontHelper* createFontHelper() = 0;
    // The font for a parsed spec; a MultiFont over createFontHelper unless
    // the renderer says otherwise.
    virtual UnicodeFont* createFont(const ustring& spec, const ustring& face, int size,
                                    int styleFlags);
    // Calls `f` with every cached texture, then font: for a renderer that
    // rebuilds its graphics objects on another device.
    template <class F> void forEachTexture(F f)
    {
        for (auto& entry : m_textures)
            f(*entry.second);
    }
    template <class F> void forEachFont(F f)
    {
        for (auto& entry : m_fonts)
            f(*entry.second);
    }

private:
    static void onTextureChanged(const ustring& path, int32_t flags, void* userData);

    Matrix4 m_transform = Matrix4::identity();
    FillState m_fill;
    float m_alpha = 1.f;
    BlendMode m_blendMode = BlendMode::Opaque;
    interval2 m_clip;
    // Only textures that loaded at least once.
    std::unordered_map<ustring, slate::SP<Texture>> m_textures;
    std::map<std::pair<ustring, int>, std::unique_ptr<UnicodeFont>> m_fonts;
    int32_t m_textureWatch = 0; // 0 when no file manager was alive
    uint64_t m_submissions = 0;
};

// The four clip planes of a set clip rect, for an interface that clips with
// user planes: half-spaces a*x + b*y + c*z + d >= 0 in window coordinates
// keeping the rect widened by one pixel on every side (left, right, top,
// bottom). An empty rect gets four planes that keep nothing: its widened
// band would leave a strip (a collapsed panel painting a line over its
// neighbours). `T` is the precision the interface takes.
template <class T> void clipPlaneEquations(const interval2& clip, T planes[4][4])
{
    const T equations[4][4] = {
        {1, 0, 0, T(1) - clip.x0},
        {-1, 0, 0, clip.x1 + T(1)},
        {0, 1, 0, T(1) - clip.y0},
        {0, -1, 0, clip.y1 + T(1)},
    };
    const T nothing[4] = {0, 0, 0, -1};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            planes[i][j] = clip.empty() ? nothing[j] : equations[i][j];
}
