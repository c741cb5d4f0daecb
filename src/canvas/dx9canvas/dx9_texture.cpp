// Direct3D textures of package images. The decoded words 0xAARRGGBB are the
// memory layout of D3DFMT_A8R8G8B8, so pixels go to the texture unchanged; an
// image without alpha becomes D3DFMT_X8R8G8B8, so that it samples opaque as
// it does under OpenGL. Textures live in the managed pool and survive a
// device reset; mip levels are built in software.
#include "canvas/dx9canvas/dx9_texture.h"

#define NOMINMAX
#include <windows.h>
#include <d3d9.h>

#include <cstring>
#include <vector>

#include "canvas/dx9canvas/dx9_renderer.h"
#include "canvas/util/mip_maps.h"
#include "ui/log.h"

namespace {

// Copies rows of `width` words into a locked level whose rows are `pitch`
// bytes apart.
void copyRows(const D3DLOCKED_RECT& locked, const uint32_t* pixels, int width, int height)
{
    unsigned char* row = static_cast<unsigned char*>(locked.pBits);
    for (int y = 0; y < height; ++y, row += locked.Pitch)
        std::memcpy(row, pixels + size_t(y) * width, size_t(width) * 4);
}

void createMipMaps(IDirect3DTexture9* texture, UINT sourceLevel, UINT destinationLevel)
{
    IDirect3DSurface9* source = nullptr;
    IDirect3DSurface9* destination = nullptr;
    if (FAILED(texture->GetSurfaceLevel(sourceLevel, &source))) {
        VLOG << u"Could get src surface for mip map generation";
        return;
    }
    if (FAILED(texture->GetSurfaceLevel(destinationLevel, &destination))) {
        VLOG << u"Could get dst surface for mip map generation";
        source->Release();
        return;
    }
    D3DSURFACE_DESC sourceDesc, destinationDesc;
    source->GetDesc(&sourceDesc);
    destination->GetDesc(&destinationDesc);
    D3DLOCKED_RECT sourceRect, destinationRect;
    if (FAILED(source->LockRect(&sourceRect, nullptr, D3DLOCK_READONLY))) {
        VLOG << u"Could not lock src rect for mip map generation";
    } else {
        if (FAILED(destination->LockRect(&destinationRect, nullptr, 0))) {
            VLOG << u"Could not lock dst rect for mip map generation";
        } else {
            if (sourceDesc.Format != destinationDesc.Format) {
                VLOG << u"Format mismatch in mip map generation";
            } else {
                const uint8_t* from = static_cast<const uint8_t*>(sourceRect.pBits);
                uint8_t* to = static_cast<uint8_t*>(destinationRect.pBits);
                for (int channel = 0; channel < 4; ++channel)
                    downsampleChannel(from + channel, to + channel, int(sourceDesc.Width),
                                      int(sourceDesc.Height), sourceRect.Pitch,
                                      int(destinationDesc.Width), int(destinationDesc.Height),
                                      destinationRect.Pitch, 4);
            }
            destination->UnlockRect();
        }
        source->UnlockRect();
    }
    destination->Release();
    source->Release();
}

} // namespace

void generateMipMaps(IDirect3DTexture9* texture)
{
    const DWORD levels = texture->GetLevelCount();
    for (DWORD level = 1; level < levels; ++level)
        createMipMaps(texture, level - 1, level);
}

DX9Texture::~DX9Texture()
{
    unload();
}

bool DX9Texture::load()
{
    unload();
    IDirect3DDevice9* device = m_renderer ? m_renderer->device() : nullptr;
    if (!device) {
        forgetImage();
        return false;
    }
    std::vector<uint32_t> pixels;
    if (!readImage(pixels)) {
        forgetImage();
        return false;
    }
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(UINT(m_textureWidth), UINT(m_textureHeight), 0, 0,
                                     m_hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                                     D3DPOOL_MANAGED, &texture, nullptr))) {
        VLOG << u"Invalid texture " << m_path;
        forgetImage();
        return false;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        VLOG << u"Invalid texture " << m_path;
        texture->Release();
        forgetImage();
        return false;
    }
    copyRows(locked, pixels.data(), m_textureWidth, m_textureHeight);
    texture->UnlockRect(0);
    generateMipMaps(texture);
    m_texture = texture;
    // The renderer samples texel centres, as OpenGL does: no overshoot,
    // which in a wide texture would reach into the padding.
    m_fullImageRect = interval2(0, float(m_imageHeight) / m_textureHeight,
                                float(m_imageWidth) / m_textureWidth, 0);
    return true;
}

void DX9Texture::unload()
{
    if (m_texture) {
        if (IDirect3DDevice9* device = m_renderer ? m_renderer->device() : nullptr) {
            m_renderer->textureUnloading();
            IDirect3DBaseTexture9* bound = nullptr;
            if (SUCCEEDED(device->GetTexture(0, &bound)) && bound) {
                if (bound == m_texture)
                    device->SetTexture(0, nullptr);
                bound->Release();
            }
        }
        m_texture->Release();
        m_texture = nullptr;
    }
    forgetImage();
}

void DX9Texture::detach()
{
    unload();
    m_renderer = nullptr;
}
