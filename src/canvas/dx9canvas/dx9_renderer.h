// The canvas of a window drawn with Direct3D 9, and the Direct3D side of the
// glyph-atlas fonts. The header is neutral; only the implementation sees
// Direct3D.
#pragma once

#include <vector>

#include "canvas/basic_canvas.h"
#include "canvas/util/texture_unicode_font.h"

struct IDirect3DDevice9;
struct IDirect3DTexture9;

// Draws with the fixed-function pipeline on the device its window peer
// hands it. The peer creates, resets and re-creates the device, sets the
// projection at the start of every frame and presents; the renderer keeps
// every piece of canvas state itself, so that it can send it all again to a
// device that has forgotten it (a reset, a new device). Textures and glyph
// atlases are managed resources: they survive a reset, and a new device gets
// every cached texture loaded again on it.
//
// The peer sets the projection; the view matrix belongs to the renderer.
//
// Quads (drawTexturedQuad, drawTexture, fillRect) are held back while the
// state they are drawn with stays the same and reach the device as one
// triangle list when it changes, before any other drawing, or at submit().
// Fill and alpha reach the device only when something is drawn with them, and
// only where the device has something else: a frame of the editor window
// pushes and restores the fill around each of its hundreds of quads.
//
// What the peer calls, in a device's life:
//   setDevice(device)   after creating a device;
//   beginFrame()        every frame, after BeginScene and the projection;
//   submit()            before EndScene, and before anything else reads or
//                       draws on the render target (a readback, a Clear);
//   endFrame()          after every present;
//   deviceLost()        before Reset (the device forgets its state);
//   deviceReset()       after a Reset that succeeded;
//   setDevice(nullptr)  before releasing the device, also on the way to a
//                       new one.
// Main thread only.
class DX9Renderer : public BasicCanvas {
public:
    // Font colour variants not used for this many frames are deleted.
    static constexpr int kVariantLifetimeFrames = 50;

    // `device` may be null (the peer sets it later); it is not owned.
    explicit DX9Renderer(IDirect3DDevice9* device = nullptr);
    ~DX9Renderer() override;

    // Moves the renderer to another device, or to none. Cached textures are
    // loaded again on the new device (unloaded without one) and every glyph
    // atlas is released; the fill goes back to the initial one and the rest
    // of the state (transform, alpha, blend mode, clip) is sent to the new
    // device. Nothing happens when `device` is the current one.
    void setDevice(IDirect3DDevice9* device);
    IDirect3DDevice9* device() const { return m_device; }

    // The device is about to be reset: what it holds of the canvas state is
    // no longer to be trusted.
    void deviceLost();
    // The device was reset: sends the whole canvas state to it again, so
    // that the first frame after the reset draws as the one before it.
    void deviceReset();
    // Called by the peer at the start of every frame; sends the state again
    // when the device was lost and not yet told it was reset.
    void beginFrame();
    // Hands the device the quads held back.
    void submit();
    // For a texture of this renderer about to be released or reloaded: the
    // quads held back are drawn while it lives, and the fill is sent again
    // with the next drawing.
    void textureUnloading();
    // Counts a presented frame and deletes the font colour variants unused
    // for more than kVariantLifetimeFrames frames.
    void endFrame();
    int frameCounter() const { return m_frameCounter; }
    // Rasterises every cached font's glyphs again (the system's font
    // smoothing changed).
    void clearFontGlyphs();

    void setTransform(const Matrix4& transform) override;
    FillState setFillState(const FillState& fill) override;
    float setAlpha(float alpha) override;
    // Makes no device call when the mode is already the device's.
    BlendMode setBlendMode(BlendMode mode) override;
    // Four user clip planes in window coordinates: the rect widened by one
    // pixel on every side. The unset rect switches clipping off; any other
    // empty rect hides everything.
    interval2 setClip(const interval2& clip) override;
    // An empty destination draws nothing.
    void drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                     const interval2& textureRect) override;
    void drawTexturedQuad(const interval2& destination, const interval2& textureRect) override;
    void drawLines(const float* vertices, int count) override;
    void drawLineStrip(const float* vertices, int count) override;
    void drawIndexedTriangles(const float* vertices, const uint16_t* indices, int vertexCount,
                              int indexCount) override;
    // Null for an empty path, and, logged, without a device.
    slate::SP<Texture> loadTexture(const ustring& path) override;
    // Direct3D 9 samples whole coordinates, but the renderer's view matrix
    // moves everything half a pixel back, so shapes fall on OpenGL's pixels.
    bool halfPixelShapes() const override { return true; }

protected:
    Texture* createTexture(const ustring& path) override;
    TextureUnicodeFontHelper* createFontHelper() override;
    // Stamped with the current frame, so that a font made late in the
    // renderer's life does not lose its first colour variants at once.
    UnicodeFont* createFont(const ustring& spec, const ustring& face, int size,
                            int styleFlags) override;

private:
    friend class DX9TextureUnicodeFontHelper;

    // For the font helper: blending off on the device while the canvas keeps
    // its blend mode (text drawing switches it off behind the canvas's
    // back); the next setBlendMode sends the mode again.
    void switchBlendingOff();
    // Sends the canvas's blend mode when the device has another.
    void sendCanvasBlendMode();
    // Sends the fill's texture, texture factor and stage states where the
    // device has others, after submitting the quads held back.
    void applyFillState();
    // applyFillState, and sampling without filtering.
    void prepareDraw();
    // What the device holds of the fill, the sampler filter and the vertex
    // format is no longer known (the font helper changed them, a new device).
    void forgetDeviceState();
    void setVertexFormat(uint32_t fvf);
    void sendState();
    void sendBlendMode(BlendMode mode);
    void sendAlphaStage();
    void sendClip(const interval2& clip);

    IDirect3DDevice9* m_device = nullptr;
    int m_frameCounter = 0;
    // The blend mode the device has, or -1 when unknown.
    BlendMode m_deviceBlendMode = BlendMode::Unknown;
    bool m_stateLost = false;
    // Whether the alpha stage was last set up with a texture on stage 0.
    bool m_boundTexture = false;
    // The fill as the device has it, while m_deviceFillKnown.
    bool m_deviceFillKnown = false;
    IDirect3DTexture9* m_deviceTexture = nullptr;
    uint32_t m_deviceTextureFactor = 0;
    bool m_devicePointFilter = false; // stage 0 samples without filtering
    uint32_t m_deviceFvf = 0;         // 0 when unknown
    // The quads held back, six vertices {x, y, z, u, v} each, all drawn with
    // the state the device has now.
    std::vector<float> m_heldQuads;
};

// Atlases as managed Direct3D textures, with their mip levels. Glyph
// batches are plain memory drawn with one DrawPrimitiveUP per atlas: a
// vertex buffer locked again right after the draw that used it made every
// flush wait for the card (a 1280 x 720 text frame took 63 ms under Wine,
// against 20 ms from plain memory, measured on the same loaded machine).
class DX9TextureUnicodeFontHelper : public MemoryBufferFontHelper {
public:
    // `renderer` is not owned and outlives the fonts of its cache.
    explicit DX9TextureUnicodeFontHelper(DX9Renderer* renderer) : m_renderer(renderer) {}

    void destroyTexture(void* texture) override;
    // An IDirect3DTexture9 with its mip levels; null without a device or
    // when Direct3D refuses.
    void* createTexture(const uint32_t* pixels, int width, int height) override;
    void drawTriangles(void* buffer, int triangleCount, int vertexSize, void* texture) override;
    // Texels of alpha 0 are discarded; blending follows the canvas's mode.
    void beginFlush(bool filtered) override;
    // Leaves blending off and the canvas's blend mode as it was; the fill's
    // stage states are sent again with the next drawing.
    void endFlush() override;

private:
    DX9Renderer* m_renderer;
};
