// PNG decoding over libpng, reading from a memory block. libpng reports
// errors by jumping back to a setjmp point, which skips C++ destructors, so
// each libpng call that may fail runs inside a small function whose frame
// holds only plain values; the buffers it fills belong to the caller, and
// the libpng structures are freed by a guard in the caller as well.
// Dimensions are checked from the header, through libpng's own user limits
// and again before the rows are allocated, so a hostile size is refused
// before anything of that size exists.
#include "canvas/util/png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct MemoryStream {
    const unsigned char* data;
    size_t size;
    size_t position;
};

void readMemoryStream(png_structp png, png_bytep out, png_size_t count)
{
    MemoryStream* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
    if (count > stream->size - stream->position)
        png_error(png, "read error in readMemoryStream");
    std::memcpy(out, stream->data + stream->position, count);
    stream->position += count;
}

// libpng's messages are collected here rather than printed to stderr.
struct ErrorText {
    char text[200];
};

void onPngError(png_structp png, png_const_charp message)
{
    ErrorText* error = static_cast<ErrorText*>(png_get_error_ptr(png));
    if (error) {
        std::strncpy(error->text, message ? message : "libpng error", sizeof error->text - 1);
        error->text[sizeof error->text - 1] = 0;
    }
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

void setWhy(std::string* why, const char* text)
{
    if (why)
        *why = text;
}

} // namespace

int paddedSize(int size)
{
    int padded = 1;
    while (padded < size)
        padded <<= 1;
    return padded;
}

namespace {

// The header and the transforms. Only trivially destructible objects live in
// this frame, so a jump back to its setjmp point skips no destructor.
struct Header {
    png_uint_32 width;
    png_uint_32 height;
    int colourType;
    int channels;
    int bitDepth;
    size_t rowBytes;
};

bool readHeader(png_structp png, png_infop info, Header& header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    header.colourType = png_get_color_type(png, info);
    png_set_swap_alpha(png);
    png_set_packing(png);
    png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header.channels = png_get_channels(png, info);
    header.bitDepth = png_get_bit_depth(png, info);
    header.rowBytes = png_get_rowbytes(png, info);
    return true;
}

// The rows, into memory the caller owns.
bool readRows(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

} // namespace

bool decodePng(const void* data, size_t size, int& width, int& height,
               std::vector<uint32_t>& pixels, std::string* why)
{
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
        setWhy(why, "not a PNG file");
        return false;
    }
    ErrorText error = {{0}};
    MemoryStream stream = {static_cast<const unsigned char*>(data), size, 0};
    ReadStructs structs;
    structs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
    if (structs.png)
        structs.info = png_create_info_struct(structs.png);
    if (!structs.png || !structs.info) {
        setWhy(why, "libpng could not start");
        return false;
    }
    png_set_user_limits(structs.png, kMaxImageSide, kMaxImageSide);
    // Ancillary chunks (text, profiles) are never used; cap what they may take.
    png_set_chunk_malloc_max(structs.png, 1 << 20);
    png_set_read_fn(structs.png, &stream, readMemoryStream);

    Header header = {};
    if (!readHeader(structs.png, structs.info, header)) {
        setWhy(why, error.text[0] ? error.text : "corrupt PNG file");
        return false;
    }
    int expectedChannels = 0;
    switch (header.colourType) {
    case PNG_COLOR_TYPE_RGBA: expectedChannels = 4; break;
    case PNG_COLOR_TYPE_RGB: expectedChannels = 3; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: expectedChannels = 2; break;
    default:
        setWhy(why, "palette and plain grey PNG images are not supported");
        return false;
    }
    if (header.width == 0 || header.height == 0 ||
        int64_t(header.width) * header.height > kMaxImagePixels) {
        setWhy(why, "PNG image too large");
        return false;
    }
    if (header.bitDepth != 8 || header.channels != expectedChannels ||
        header.rowBytes < size_t(header.width) * header.channels) {
        setWhy(why, "unsupported PNG pixel layout");
        return false;
    }
    std::vector<unsigned char> bytes(header.rowBytes * header.height);
    std::vector<png_bytep> rows(header.height);
    for (png_uint_32 y = 0; y < header.height; ++y)
        rows[y] = bytes.data() + y * header.rowBytes;
    if (!readRows(structs.png, rows.data())) {
        setWhy(why, error.text[0] ? error.text : "corrupt PNG file");
        return false;
    }

    // Alpha was moved in front of the colour: A R G B, A G, or R G B.
    pixels.resize(size_t(header.width) * header.height);
    uint32_t* out = pixels.data();
    for (png_uint_32 y = 0; y < header.height; ++y) {
        const unsigned char* p = rows[y];
        for (png_uint_32 x = 0; x < header.width; ++x, p += header.channels) {
            switch (header.channels) {
            case 4: *out++ = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; break;
            case 3: *out++ = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; break;
            default: *out++ = uint32_t(p[0]) << 24 | uint32_t(p[1]) * 0x010101u; break;
            }
        }
    }
    width = int(header.width);
    height = int(header.height);
    return true;
}

bool loadPaddedImage(const void* data, size_t size, int& textureWidth, int& textureHeight,
                     int& imageWidth, int& imageHeight, std::vector<uint32_t>& pixels,
                     std::string* why)
{
    std::vector<uint32_t> image;
    if (!decodePng(data, size, imageWidth, imageHeight, image, why))
        return false;
    textureWidth = paddedSize(imageWidth);
    textureHeight = paddedSize(imageHeight);
    if (int64_t(textureWidth) * textureHeight > kMaxImagePixels) {
        setWhy(why, "PNG image too large");
        return false;
    }
    if (textureWidth == imageWidth && textureHeight == imageHeight) {
        pixels.swap(image);
        return true;
    }
    pixels.assign(size_t(textureWidth) * textureHeight, 0);
    for (int y = 0; y < imageHeight; ++y)
        std::memcpy(&pixels[size_t(y) * textureWidth], &image[size_t(y) * imageWidth],
                    size_t(imageWidth) * sizeof(uint32_t));
    return true;
}

bool imageHasAlpha(const uint32_t* pixels, size_t count)
{
    if (count == 0)
        return false;
    const uint32_t firstAlpha = pixels[0] >> 24;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t alpha = pixels[i] >> 24;
        if ((alpha != 0 && alpha != 255) || alpha != firstAlpha)
            return true;
    }
    return false;
}
