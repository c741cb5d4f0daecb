#include "canvas/image_texture.h"

#include <string>

#include "canvas/util/png_image.h"
#include "filesystem/file_manager.h"
#include "ui/log.h"

bool ImageTexture::readImage(std::vector<uint32_t>& pixels)
{
    if (!slate::FileManager::alive())
        return false;
    slate::SP<slate::MemoryBlock> file = slate::FileManager::get().read(m_path);
    if (!file) {
        VLOG << u"Unable to load texture " << m_path;
        return false;
    }
    std::string why;
    int textureWidth = 0, textureHeight = 0, imageWidth = 0, imageHeight = 0;
    if (!loadPaddedImage(file->data(), file->size(), textureWidth, textureHeight, imageWidth,
                         imageHeight, pixels, &why)) {
        VLOG << u"Invalid texture " << m_path << u": " << why;
        return false;
    }
    m_textureWidth = textureWidth;
    m_textureHeight = textureHeight;
    m_imageWidth = imageWidth;
    m_imageHeight = imageHeight;
    m_fullImageRect =
        interval2(0, float(imageHeight) / textureHeight, float(imageWidth) / textureWidth, 0);
    m_hasAlpha = imageHasAlpha(pixels.data(), pixels.size());
    return true;
}

void ImageTexture::forgetImage()
{
    m_imageWidth = m_imageHeight = m_textureWidth = m_textureHeight = 0;
    m_fullImageRect = interval2();
    m_hasAlpha = false;
}
