// What every kind of package texture shares: the image's sizes and the
// reading, decoding and padding of its PNG.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/texture.h"

class ImageTexture : public Texture {
public:
    int imageHeight() const override { return m_imageHeight; }
    int imageWidth() const override { return m_imageWidth; }
    int textureHeight() const override { return m_textureHeight; }
    int textureWidth() const override { return m_textureWidth; }
    ustring path() const override { return m_path; }
    interval2 fullImageRect() const override { return m_fullImageRect; }
    bool hasAlpha() const override { return m_hasAlpha; }

protected:
    explicit ImageTexture(const ustring& path) : m_path(path) {}

    // Reads path() through the file manager and decodes it into `pixels`,
    // padded to power-of-two sides (words 0xAARRGGBB, rows top first). On
    // success sets the sizes, the full image rect and hasAlpha; on failure
    // logs why and changes none of them.
    bool readImage(std::vector<uint32_t>& pixels);
    // The unloaded state of every kind of texture: no sizes, the unset full
    // image rect, no alpha. Each unload calls it after releasing its
    // graphics object, and a load that fails ends there too.
    void forgetImage();

    ustring m_path;
    int m_imageWidth = 0, m_imageHeight = 0, m_textureWidth = 0, m_textureHeight = 0;
    interval2 m_fullImageRect;
    bool m_hasAlpha = false;
};
