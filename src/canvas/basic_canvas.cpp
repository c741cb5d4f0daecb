// State, caches and compound calls shared by every canvas. The compound
// calls go through the virtual setters and primitives, so a renderer (or the
// recording canvas) sees exactly the calls a caller's drawing makes.
#include "canvas/basic_canvas.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include "canvas/unicode_font.h"
#include "canvas/util/texture_unicode_font.h"
#include "filesystem/file_manager.h"
#include "filesystem/file_system.h"

Matrix4 Matrix4::identity()
{
    Matrix4 m = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return m;
}

bool operator==(const Matrix4& a, const Matrix4& b)
{
    return std::equal(a.m, a.m + 16, b.m);
}

bool operator==(const FillState& a, const FillState& b)
{
    return a.isColour == b.isColour && a.colour == b.colour &&
           a.texture == b.texture;
}

interval2 unsetInterval() { return interval2(); }

bool isUnset(const interval2& r)
{
    return r.x0 == FLT_MAX && r.y0 == FLT_MAX && r.x1 == FLT_MIN && r.y1 == FLT_MIN;
}

BasicCanvas::BasicCanvas()
{
    if (slate::FileManager::alive())
        m_textureWatch = slate::FileManager::get().addWatch(
            u"Packages/*.png", slate::FileChangeModified | slate::FileChangeAdded,
            &BasicCanvas::onTextureChanged, this);
}

BasicCanvas::~BasicCanvas()
{
    if (m_textureWatch && slate::FileManager::alive())
        slate::FileManager::get().removeWatch(m_textureWatch);
    m_fonts.clear();
    m_textures.clear();
}

FillState BasicCanvas::pushColour(const Colour& colour)
{
    FillState fill;
    fill.isColour = true;
    fill.colour = colour;
    return setFillState(fill);
}

FillState BasicCanvas::pushTexture(const slate::SP<Texture>& texture)
{
    FillState fill;
    fill.texture = texture;
    return setFillState(fill);
}

FillState BasicCanvas::setFillState(const FillState& fill)
{
    FillState previous = m_fill;
    m_fill = fill;
    return previous;
}

float BasicCanvas::setAlpha(float alpha)
{
    std::swap(alpha, m_alpha);
    return alpha;
}

BlendMode BasicCanvas::setBlendMode(BlendMode mode)
{
    std::swap(mode, m_blendMode);
    return mode;
}

interval2 BasicCanvas::setClip(const interval2& clip)
{
    interval2 previous = m_clip;
    m_clip = clip;
    return previous;
}

interval2 BasicCanvas::intersectClip(const interval2& clip)
{
    // Only "no clip" takes the new rect as it is; a set clip, even an empty
    // one, can only narrow.
    if (isUnset(m_clip))
        return setClip(clip);
    return setClip(interval2(std::max(clip.x0, m_clip.x0), std::max(clip.y0, m_clip.y0),
                             std::min(clip.x1, m_clip.x1), std::min(clip.y1, m_clip.y1)));
}

void BasicCanvas::drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                              const interval2& textureRect)
{
    FillState saved = pushTexture(texture);
    drawTexturedQuad(destination, textureRect);
    setFillState(saved);
}

void BasicCanvas::fillRect(const interval2& rect, const Colour& colour)
{
    FillState saved = pushColour(colour);
    drawTexturedQuad(rect, interval2(0, 0, 0, 0));
    setFillState(saved);
}

void BasicCanvas::drawLine(const vector2& from, const vector2& to, const Colour& colour)
{
    FillState saved = pushColour(colour);
    const float vertices[6] = {from.x, from.y, 0, to.x, to.y, 0};
    drawLines(vertices, 2);
    setFillState(saved);
}

slate::SP<Texture> BasicCanvas::loadTexture(const ustring& path)
{
    if (path.empty())
        return nullptr;
    auto found = m_textures.find(path);
    if (found != m_textures.end())
        return found->second;
    slate::SP<Texture> texture(createTexture(path));
    if (!texture || !texture->load())
        return nullptr;
    m_textures[path] = texture;
    return texture;
}

slate::SP<Texture> BasicCanvas::findTexture(const ustring& path)
{
    auto found = m_textures.find(path);
    return found == m_textures.end() ? nullptr : found->second;
}

void BasicCanvas::reloadTexture(const ustring& path)
{
    if (slate::SP<Texture> texture = findTexture(path))
        texture->load();
}

void BasicCanvas::onTextureChanged(const ustring& path, int32_t, void* userData)
{
    static_cast<BasicCanvas*>(userData)->reloadTexture(path);
}

UnicodeFont* BasicCanvas::getFont(const ustring& spec, int styleFlags)
{
    const std::pair<ustring, int> key(spec, styleFlags);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second.get();
    ustring face;
    int size = 12;
    int flags = 0;
    parseFontSpec(spec, face, size, flags);
    UnicodeFont* font = createFont(spec, face, size, flags | styleFlags);
    m_fonts[key].reset(font);
    return font;
}

UnicodeFont* BasicCanvas::createFont(const ustring&, const ustring& face, int size, int styleFlags)
{
    return new MultiFont(createFontHelper(), face, size, styleFlags);
}
