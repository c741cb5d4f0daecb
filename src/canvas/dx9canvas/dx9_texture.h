// Package images as Direct3D 9 textures. The header is neutral; only the
// implementation sees Direct3D.
#pragma once

#include "canvas/image_texture.h"

class DX9Renderer;
struct IDirect3DTexture9;

// A package image in a managed Direct3D texture on its renderer's device.
// The renderer loads it again when its device changes and unloads it while
// it has none, so one texture object serves every device of the renderer.
class DX9Texture : public ImageTexture {
public:
    // `renderer` is not owned; it detaches its textures before it dies.
    DX9Texture(DX9Renderer* renderer, const ustring& path)
        : ImageTexture(path), m_renderer(renderer)
    {
    }
    ~DX9Texture() override;

    // Reads the file through the file manager, pads it to power-of-two sides
    // and creates the texture with its mip levels on the renderer's device.
    // False, with the texture unloaded, without a device or when the file
    // cannot be read or decoded or Direct3D refuses it.
    bool load() override;
    void unload() override;
    // Unloads and forgets the renderer, which is going away: a texture held
    // elsewhere outlives it and then stays unloaded.
    void detach();

    // The Direct3D texture; null while unloaded.
    IDirect3DTexture9* texture() const { return m_texture; }

private:
    DX9Renderer* m_renderer;
    IDirect3DTexture9* m_texture = nullptr;
};

// Fills every level of `texture` below the first from the one above it,
// with gamma-correct averaging.
void generateMipMaps(IDirect3DTexture9* texture);
