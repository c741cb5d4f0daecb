// An image of a package (a button face, an icon) loaded into the graphics
// interface. Textures are made and cached by Canvas::loadTexture, shared
// through slate::SP, and deleted by their last release.
#pragma once

#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class Texture : public slate::ReferenceCounted<Texture> {
public:
    virtual ~Texture() = default;
    // (Re)loads the image from path(). False when the file cannot be read or
    // decoded or the graphics interface refuses it; the texture then has no
    // graphics object and draws as nothing (or white, as the renderer binds
    // no texture), but stays usable for a later load.
    virtual bool load() = 0;
    // Releases the graphics object; a later load makes a new one.
    virtual void unload() = 0;
    // The PNG's size in pixels.
    virtual int imageHeight() const = 0;
    virtual int imageWidth() const = 0;
    // The padded, power-of-two size of the texture.
    virtual int textureHeight() const = 0;
    virtual int textureWidth() const = 0;
    // The virtual package path it was made for.
    virtual ustring path() const = 0;
    // The texture rect that shows the whole image upright with
    // Canvas::drawTexturedQuad.
    virtual interval2 fullImageRect() const = 0;
    // Whether drawing must blend by the texture's own alpha.
    virtual bool hasAlpha() const = 0;
};
