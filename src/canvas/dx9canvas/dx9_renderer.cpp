// The canvas over the Direct3D 9 fixed-function pipeline. Every piece of
// canvas state lives in BasicCanvas, and each setter also sends it to the
// device, so that the whole state can be sent again to a device that lost it
// (a reset) or never had it (a new device). Colour and global alpha reach
// the pipeline through the texture factor; texture stage 0 selects the
// factor or the texture for colour and alpha as the fill and the blend mode
// say. Clip rects become four user clip planes in world space, which is
// window space here, so they stay where they were set when the transform
// changes afterwards. The view matrix is the renderer's own: a half-pixel
// shift that gives Direct3D OpenGL's pixel centres.
//
// Every draw call has a price of its own under Wine: the main thread packs
// it for Direct3D's command thread, which applies the state and hands it to
// Mesa. The editor window's frame at 1920 x 1080 drew 495 of its 588 calls
// as single textured quads, each between a push and a restore of the fill.
// Quads drawn with unchanged state are therefore collected and drawn as one
// triangle list (128 calls for that frame), and fill, filter and vertex
// format reach the device only where it has something else.
#include "canvas/dx9canvas/dx9_renderer.h"

#define NOMINMAX
#include <windows.h>
#include <d3d9.h>

#include <algorithm>
#include <cstring>

#include "canvas/dx9canvas/dx9_texture.h"
#include "canvas/util/mip_maps.h"
#include "canvas/unicode_font.h"
#include "ui/log.h"

namespace {

IDirect3DTexture9* direct3DTexture(const slate::SP<Texture>& texture)
{
    const DX9Texture* dx9Texture = dynamic_cast<const DX9Texture*>(texture.get());
    return dx9Texture ? dx9Texture->texture() : nullptr;
}

DWORD channel(float value)
{
    return DWORD(std::min(std::max(value, 0.f), 1.f) * 255.f);
}

struct TexturedVertex {
    float x, y, z, u, v;
};

// Quads held back beyond this many vertices are submitted at once, so that
// one batch stays a modest copy for the device.
const size_t kMaxHeldVertices = 6 * 1024;

const DWORD kPositionFvf = D3DFVF_XYZ;
const DWORD kTexturedFvf = D3DFVF_XYZ | D3DFVF_TEX1;

MultiFont* multiFont(UnicodeFont& font)
{
    return dynamic_cast<MultiFont*>(&font);
}

// The renderer's view matrix: half a pixel back, and lines further left and down
// (kLineNudgeLeft, kLineNudgeDown).
void setView(IDirect3DDevice9* device, bool lines)
{
    Matrix4 view = Matrix4::identity();
    view.m[12] = -0.5f - (lines ? kLineNudgeLeft : 0.f);
    view.m[13] = -0.5f + (lines ? kLineNudgeDown : 0.f);
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(view.m));
}

} // namespace

DX9Renderer::DX9Renderer(IDirect3DDevice9* device)
{
    setDevice(device);
}

DX9Renderer::~DX9Renderer()
{
    if (m_device) {
        m_device->SetTexture(0, nullptr);
    }
    // A texture held elsewhere outlives this renderer: it must not reach
    // back to it. BasicCanvas then deletes the fonts, whose atlases are
    // released through their helpers, and drops the cache.
    forEachTexture([](Texture& texture) { static_cast<DX9Texture&>(texture).detach(); });
    BasicCanvas::setFillState(FillState());
}

void DX9Renderer::setDevice(IDirect3DDevice9* device)
{
    if (device == m_device)
        return;
    if (m_device) {
        // Leave the old device holding none of our resources.
        m_device->SetTexture(0, nullptr);
    }
    // Quads of the old device's frame are not drawn on the new one.
    m_heldQuads.clear();
    BasicCanvas::setFillState(FillState());
    m_device = device;
    m_deviceBlendMode = BlendMode::Unknown;
    forEachTexture([device](Texture& texture) {
        if (device)
            texture.load();
        else
            texture.unload();
    });
    forEachFont([](UnicodeFont& font) {
        if (MultiFont* multi = multiFont(font))
            multi->clearGlyphs();
    });
    sendState();
}

void DX9Renderer::deviceLost()
{
    m_heldQuads.clear();
    m_stateLost = true;
    m_deviceBlendMode = BlendMode::Unknown;
    forgetDeviceState();
}

void DX9Renderer::deviceReset()
{
    sendState();
}

void DX9Renderer::beginFrame()
{
    if (m_stateLost)
        sendState();
}

void DX9Renderer::submit()
{
    if (m_heldQuads.empty() || !m_device)
        return;
    setVertexFormat(kTexturedFvf);
    const UINT triangles = UINT(m_heldQuads.size() / (3 * 5));
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, m_heldQuads.data(), sizeof(TexturedVertex));
    countSubmission();
    m_heldQuads.clear();
}

void DX9Renderer::forgetDeviceState()
{
    m_deviceFillKnown = false;
    m_devicePointFilter = false;
    m_deviceFvf = 0;
}

void DX9Renderer::setVertexFormat(uint32_t fvf)
{
    if (fvf == m_deviceFvf)
        return;
    m_device->SetFVF(fvf);
    m_deviceFvf = fvf;
}

void DX9Renderer::endFrame()
{
    // A peer that presents without submitting loses the quads held back.
    VASSERT(m_heldQuads.empty());
    m_heldQuads.clear();
    ++m_frameCounter;
    const int frame = m_frameCounter;
    forEachFont([frame](UnicodeFont& font) {
        if (MultiFont* multi = multiFont(font)) {
            multi->setFrame(frame);
            multi->dropVariantsBefore(frame - kVariantLifetimeFrames);
        }
    });
}

void DX9Renderer::clearFontGlyphs()
{
    forEachFont([](UnicodeFont& font) {
        if (MultiFont* multi = multiFont(font))
            multi->clearGlyphs();
    });
}

void DX9Renderer::sendState()
{
    if (!m_device)
        return;
    m_stateLost = false;
    forgetDeviceState();
    m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    m_devicePointFilter = true;
    // Direct3D 9 puts pixel centres on whole coordinates, OpenGL half a pixel
    // further on. Moving everything half a pixel back after the clip planes
    // (which are in world space) gives both the same coverage and makes a
    // texture drawn one to one sample its texel centres, not the edges
    // between texels, where rounding picked the neighbour (the first column
    // of a repeating texture showed its last one).
    setView(m_device, false);
    const Matrix4 transform = getTransform();
    m_device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(transform.m));
    applyFillState();
    sendBlendMode(getBlendMode());
    sendClip(clipRect());
}

void DX9Renderer::setTransform(const Matrix4& transform)
{
    const bool changed = !(transform == getTransform());
    BasicCanvas::setTransform(transform);
    if (m_device && changed) {
        submit();
        m_device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(transform.m));
    }
}

void DX9Renderer::applyFillState()
{
    if (!m_device)
        return;
    const FillState& fill = fillState();
    const Colour colour = fill.isColour ? fill.colour : Colour(1, 1, 1);
    const DWORD factor = D3DCOLOR_ARGB(channel(getAlpha()), channel(colour.red),
                                       channel(colour.green), channel(colour.blue));
    IDirect3DTexture9* texture = fill.isColour ? nullptr : direct3DTexture(fill.texture);
    const bool known = m_deviceFillKnown;
    if (known && factor == m_deviceTextureFactor && texture == m_deviceTexture)
        return;
    submit();
    if (!known || factor != m_deviceTextureFactor)
        m_device->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
    if (!known || texture != m_deviceTexture) {
        m_device->SetTexture(0, texture);
        m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        // A texture fill without a texture paints the factor's white, as an
        // unbound texture does under OpenGL.
        m_device->SetTextureStageState(0, D3DTSS_COLORARG1, texture ? D3DTA_TEXTURE : D3DTA_TFACTOR);
    }
    m_deviceFillKnown = true;
    m_deviceTextureFactor = factor;
    m_deviceTexture = texture;
    const bool wasBound = m_boundTexture;
    m_boundTexture = texture != nullptr;
    if (m_boundTexture != wasBound && usesTextureAlpha(m_deviceBlendMode))
        sendAlphaStage();
}

void DX9Renderer::prepareDraw()
{
    applyFillState();
    if (!m_devicePointFilter) {
        m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        m_devicePointFilter = true;
    }
}

void DX9Renderer::textureUnloading()
{
    submit();
    m_deviceFillKnown = false;
}

FillState DX9Renderer::setFillState(const FillState& fill)
{
    // Sent with the next drawing (applyFillState).
    return BasicCanvas::setFillState(fill);
}

float DX9Renderer::setAlpha(float alpha)
{
    // Sent with the next drawing, in the texture factor.
    return BasicCanvas::setAlpha(alpha);
}

BlendMode DX9Renderer::setBlendMode(BlendMode mode)
{
    const BlendMode previous = BasicCanvas::setBlendMode(mode);
    if (mode != m_deviceBlendMode)
        sendBlendMode(mode);
    return previous;
}

void DX9Renderer::sendBlendMode(BlendMode mode)
{
    if (!m_device)
        return;
    submit();
    m_deviceBlendMode = mode;
    if (mode == BlendMode::Opaque) {
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    } else {
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    }
    sendAlphaStage();
}

void DX9Renderer::sendAlphaStage()
{
    // Where no texture is bound, the texture's alpha is left out, as under
    // OpenGL, where texturing is then off.
    const BlendMode mode = m_deviceBlendMode;
    if (usesTextureAlpha(mode)) {
        if (m_boundTexture) {
            m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
            m_device->SetTextureStageState(0, D3DTSS_ALPHAOP,
                                           mode == BlendMode::TextureAlpha ? D3DTOP_SELECTARG1
                                                                        : D3DTOP_MODULATE);
            return;
        }
    }
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

void DX9Renderer::sendCanvasBlendMode()
{
    if (getBlendMode() != m_deviceBlendMode)
        sendBlendMode(getBlendMode());
}

void DX9Renderer::switchBlendingOff()
{
    m_deviceBlendMode = BlendMode::Unknown;
    sendBlendMode(BlendMode::Opaque);
}

interval2 DX9Renderer::setClip(const interval2& clip)
{
    const interval2 previous = BasicCanvas::setClip(clip);
    if (previous.x0 != clip.x0 || previous.y0 != clip.y0 || previous.x1 != clip.x1 ||
        previous.y1 != clip.y1)
        sendClip(clip);
    return previous;
}

void DX9Renderer::sendClip(const interval2& clip)
{
    if (!m_device)
        return;
    submit();
    if (isUnset(clip)) {
        m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
        return;
    }
    float planes[4][4];
    clipPlaneEquations(clip, planes);
    for (DWORD i = 0; i < 4; ++i)
        m_device->SetClipPlane(i, planes[i]);
    m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0 | D3DCLIPPLANE1 |
                                                        D3DCLIPPLANE2 | D3DCLIPPLANE3);
}

void DX9Renderer::drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                              const interval2& textureRect)
{
    if (destination.empty())
        return;
    BasicCanvas::drawTexture(texture, destination, textureRect);
}

void DX9Renderer::drawTexturedQuad(const interval2& destination, const interval2& textureRect)
{
    if (!m_device || destination.empty())
        return;
    prepareDraw();
    const float x0 = destination.x0, y0 = destination.y0;
    const float x1 = destination.x1, y1 = destination.y1;
    // The texture rect's y1 belongs to the top edge.
    const TexturedVertex topLeft = {x0, y0, 0, textureRect.x0, textureRect.y1};
    const TexturedVertex topRight = {x1, y0, 0, textureRect.x1, textureRect.y1};
    const TexturedVertex bottomRight = {x1, y1, 0, textureRect.x1, textureRect.y0};
    const TexturedVertex bottomLeft = {x0, y1, 0, textureRect.x0, textureRect.y0};
    const TexturedVertex vertices[6] = {topLeft,     topRight,   bottomRight,
                                        bottomRight, bottomLeft, topLeft};
    const float* first = &vertices[0].x;
    m_heldQuads.insert(m_heldQuads.end(), first, first + 6 * 5);
    if (m_heldQuads.size() >= 5 * kMaxHeldVertices)
        submit();
}

void DX9Renderer::drawLines(const float* vertices, int count)
{
    if (!m_device || count < 2)
        return;
    submit();
    prepareDraw();
    setVertexFormat(kPositionFvf);
    setView(m_device, true);
    m_device->DrawPrimitiveUP(D3DPT_LINELIST, UINT(count / 2), vertices, 12);
    countSubmission();
    setView(m_device, false);
}

void DX9Renderer::drawLineStrip(const float* vertices, int count)
{
    if (!m_device || count < 2)
        return;
    submit();
    prepareDraw();
    setVertexFormat(kPositionFvf);
    setView(m_device, true);
    m_device->DrawPrimitiveUP(D3DPT_LINESTRIP, UINT(count - 1), vertices, 12);
    countSubmission();
    setView(m_device, false);
}

void DX9Renderer::drawIndexedTriangles(const float* vertices, const uint16_t* indices,
                                       int vertexCount, int indexCount)
{
    if (!m_device || vertexCount <= 0 || indexCount < 3)
        return;
    submit();
    prepareDraw();
    setVertexFormat(kPositionFvf);
    m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, UINT(vertexCount),
                                     UINT(indexCount / 3), indices, D3DFMT_INDEX16, vertices,
                                     12);
    countSubmission();
}

slate::SP<Texture> DX9Renderer::loadTexture(const ustring& path)
{
    if (path.empty())
        return nullptr;
    if (slate::SP<Texture> cached = findTexture(path))
        return cached;
    if (!m_device) {
        VLOG << u"Must have valid device to create Texture";
        return nullptr;
    }
    return BasicCanvas::loadTexture(path);
}

Texture* DX9Renderer::createTexture(const ustring& path)
{
    return new DX9Texture(this, path);
}

TextureUnicodeFontHelper* DX9Renderer::createFontHelper()
{
    return new DX9TextureUnicodeFontHelper(this);
}

UnicodeFont* DX9Renderer::createFont(const ustring& spec, const ustring& face, int size,
                                     int styleFlags)
{
    UnicodeFont* font = BasicCanvas::createFont(spec, face, size, styleFlags);
    if (MultiFont* multi = multiFont(*font))
        multi->setFrame(m_frameCounter);
    return font;
}

// --- DX9TextureUnicodeFontHelper -------------------------------------------

void DX9TextureUnicodeFontHelper::destroyTexture(void* texture)
{
    if (texture)
        static_cast<IDirect3DTexture9*>(texture)->Release();
}

void* DX9TextureUnicodeFontHelper::createTexture(const uint32_t* pixels, int width, int height)
{
    IDirect3DDevice9* device = m_renderer->device();
    if (!device)
        return nullptr;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(UINT(width), UINT(height), 0, 0, D3DFMT_A8R8G8B8,
                                     D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    // The atlas's words 0xAARRGGBB are A8R8G8B8's own layout. Its smaller
    // levels keep the ink, so that shrunk text does not fade away.
    bool complete = true;
    generateGlyphMipLevels(width, height, pixels, [&](int level, int w, int h, const uint32_t* levelPixels) {
        D3DLOCKED_RECT lockedLevel;
        if (DWORD(level) >= texture->GetLevelCount() ||
            FAILED(texture->LockRect(UINT(level), &lockedLevel, nullptr, 0))) {
            complete = false;
            return;
        }
        unsigned char* row = static_cast<unsigned char*>(lockedLevel.pBits);
        for (int y = 0; y < h; ++y, row += lockedLevel.Pitch)
            std::memcpy(row, levelPixels + size_t(y) * w, size_t(w) * 4);
        texture->UnlockRect(UINT(level));
    });
    if (!complete) {
        texture->Release();
        return nullptr;
    }
    return texture;
}

void DX9TextureUnicodeFontHelper::drawTriangles(void* buffer, int triangleCount, int vertexSize,
                                                void* texture)
{
    VASSERT(sizeof(TextureUnicodeFont::Vertex) == vertexSize);
    IDirect3DDevice9* device = m_renderer->device();
    if (!device || !buffer || !texture || triangleCount <= 0)
        return;
    device->SetTexture(0, static_cast<IDirect3DTexture9*>(texture));
    m_renderer->setVertexFormat(kTexturedFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(triangleCount), buffer, UINT(vertexSize));
    m_renderer->countSubmission();
}

void DX9TextureUnicodeFontHelper::beginFlush(bool filtered)
{
    IDirect3DDevice9* device = m_renderer->device();
    if (!device)
        return;
    // What was drawn before the text goes first, and the texture factor the
    // text may fade by holds the canvas's alpha.
    m_renderer->submit();
    m_renderer->applyFillState();
    m_renderer->forgetDeviceState();
    // Blending follows the canvas's mode, which the previous flush (another
    // colour variant's, in the same batch) switched off on the device.
    m_renderer->sendCanvasBlendMode();
    // Texels of alpha 0 are the atlas's background: discarded.
    device->SetRenderState(D3DRS_ALPHAREF, 1);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    // The global alpha fades the text too where the mode asks for it.
    if (m_renderer->getBlendMode() == BlendMode::TextureTimesGlobalAlpha) {
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    } else {
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    }
    // Scaled text samples between ink and blank texels: it blends by their
    // alpha whatever the canvas's mode, as under OpenGL, so that the ground
    // shows between the marks instead of the atlas's background.
    if (filtered) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    }
    const DWORD filter = filtered ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, filtered ? D3DTEXF_LINEAR : D3DTEXF_NONE);
}

void DX9TextureUnicodeFontHelper::endFlush()
{
    IDirect3DDevice9* device = m_renderer->device();
    if (!device)
        return;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ALPHAREF, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    m_renderer->switchBlendingOff();
    m_renderer->forgetDeviceState();
}
