// Glyph-atlas fonts. The glyphs of a font are rasterised into 512 x 256
// atlases a block of 256 code units at a time, the first time a code unit of
// the block is measured or drawn, and drawn as textured quads collected in
// one vertex buffer per atlas. Because the rasteriser anti-aliases against a
// known background colour, an atlas serves one pair of text and background
// colours: `MultiFont` is the font callers hold and keeps one
// `TextureUnicodeFont` per colour pair. The graphics interface is reached
// only through a `TextureUnicodeFontHelper`.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "canvas/unicode_font.h"
#include "canvas/util/font_builder.h"
#include "ui/ustring.h"

// What a renderer does for the atlas fonts. Handles are the renderer's own
// (a texture name, a vertex buffer); null means none.
class TextureUnicodeFontHelper {
public:
    // Deleted through this class by the MultiFont that owns it.
    virtual ~TextureUnicodeFontHelper() = default;
    virtual void destroyTexture(void* texture) = 0;
    virtual void freeBuffer(void* buffer) = 0;
    // A texture of 0xAARRGGBB words, rows top first; null on failure.
    virtual void* createTexture(const uint32_t* pixels, int width, int height) = 0;
    virtual void* allocBuffer(int bytes) = 0;
    // The buffer's memory, writable until unlockBuffer.
    virtual void* lockBuffer(void* buffer) = 0;
    virtual void unlockBuffer(void* buffer) = 0;
    // Draws `triangleCount` triangles of `vertexSize`-byte vertices
    // ({x, y, z, u, v} floats) from the unlocked buffer with the texture.
    virtual void drawTriangles(void* buffer, int triangleCount, int vertexSize, void* texture) = 0;
    virtual void beginFlush(bool filtered) = 0;
    virtual void endFlush() = 0;
};

// A helper whose vertex buffers are plain memory, for renderers that draw
// glyph batches straight from memory: allocated with the bytes asked for,
// always locked, unlocked for nothing.
class MemoryBufferFontHelper : public TextureUnicodeFontHelper {
public:
    void freeBuffer(void* buffer) override;
    void* allocBuffer(int bytes) override;
    void* lockBuffer(void* buffer) override { return buffer; }
    void unlockBuffer(void*) override {}
};

// The atlases of one font in one pair of text and background colours.
class TextureUnicodeFont : public UnicodeFont {
public:
    struct Vertex {
        float x, y, z, u, v;
    };
    static constexpr int kAtlasWidth = 512;
    static constexpr int kAtlasHeight = 256;
    static constexpr int kBufferBytes = 15360; // 768 vertices; a flush comes at 127 glyphs
    static constexpr int kGlyphBytes = 6 * int(sizeof(Vertex));

    // `helper` is not owned and must outlive the font.
    TextureUnicodeFont(TextureUnicodeFontHelper* helper, const ustring& face, int size,
                       int styleFlags, const ColourPair& colours);
    ~TextureUnicodeFont() override;

    // Queues the glyphs of [first, end) with the line box's top left at
    // (x, y); the colours are this font's own (the arguments are for
    // MultiFont). Code units of advance 0 are skipped; tab, line feed and
    // (without drawWhiteSpace) blanks only move x.
    void drawText(float x, float y, const uchar* first, const uchar* end, const ColourPair& colours,
                  bool drawWhiteSpace) override;
    void beginBatch(bool filtered) override;
    void endBatch() override;
    // Draws every atlas's queued glyphs, one call per atlas.
    void flush() override;
    // `first` a multiple of 256, `count` at most 256.
    void getAdvances(int first, int count, float* out) override;

    // Releases every atlas and glyph table; blocks are rebuilt on next use.
    // Advances and the line height stay.
    void clearGlyphs();
    // Rasterises one block (0..255), which must not exist yet. Glyphs whose
    // atlas cannot be made are measured all the same and drawn once a later
    // attempt to make it succeeds.
    void buildTable(int block);

    // For tests: how many atlases the font holds.
    size_t atlasCount() const { return m_batches.size(); }

private:
    struct GlyphTable {
        GlyphRect rects[256] = {};
        GlyphRect textureCoordinates[256] = {};
        int batchIndex[256] = {};
    };
    // One atlas and its vertex buffer; `cur` and `base` point into the
    // buffer's locked memory, null when the atlas has no buffer.
    struct Batch {
        unsigned char* cur = nullptr;
        void* buffer = nullptr;
        unsigned char* base = nullptr;
        void* texture = nullptr; // null while the atlas could not be made
        int firstCodeUnit = 0;   // the first glyph placed in the atlas
    };

    // Rasterises code units from `first` up to `blockEnd` into a fresh atlas,
    // their rects into `rects`, and makes its texture (null on failure).
    // Returns how many were placed.
    int rasterise(int first, int blockEnd, GlyphRect* rects, void*& texture);
    // Gives `batch` its texture and a locked vertex buffer.
    void attachAtlas(Batch& batch, void* texture);
    // Makes the missing atlas of `batch` again; false when it still fails.
    bool retryAtlas(Batch& batch);

    TextureUnicodeFontHelper* m_helper;
    ustring m_face;
    int m_size;
    int m_styleFlags;
    ColourPair m_colours;
    std::unique_ptr<GlyphTable> m_glyphTables[256];
    std::vector<Batch> m_batches;
    bool m_filtered = false;
};

// The font callers hold: one face, size and style in every colour pair.
class MultiFont : public UnicodeFont {
public:
    // Takes ownership of `helper`. Builds block 0 of the default variant
    // (black on white) to learn the line height.
    MultiFont(TextureUnicodeFontHelper* helper, const ustring& face, int size, int styleFlags);
    ~MultiFont() override;

    // The variant for the colour pair (compared exactly), made on first use.
    TextureUnicodeFont& variant(const ColourPair& colours);

    void drawText(float x, float y, const uchar* first, const uchar* end, const ColourPair& colours,
                  bool drawWhiteSpace) override;
    void beginBatch(bool filtered) override;
    void endBatch() override;
    void flush() override;
    // Always the default variant's advances.
    void getAdvances(int first, int count, float* out) override;

    void setFrame(int frame) { m_frame = frame; }
    // Deletes every variant but the first that was last used before `frame`.
    void dropVariantsBefore(int frame);
    void clearGlyphs();

    const ustring& face() const { return m_face; }
    int size() const { return m_size; }
    int styleFlags() const { return m_styleFlags; }
    size_t variantCount() const { return m_variants.size(); }

private:
    struct Variant {
        ColourPair colours;
        std::unique_ptr<TextureUnicodeFont> font;
        int lastUsedFrame;
    };

    std::unique_ptr<TextureUnicodeFontHelper> m_helper;
    ustring m_face;
    int m_size;
    int m_styleFlags;
    std::vector<Variant> m_variants;
    int m_frame = 0;
    bool m_batching = false;
    bool m_batchFiltered = false;
};

// Answers whether a font face exists; fontFaceExists by default.
using FaceExistsFunction = std::function<bool(const ustring& face)>;

// Reads one alternative of a font spec ("Courier New 10 :bold"): trailing
// words are taken while they are a size (the first non-zero leading integer;
// below 2 it becomes 12) or an option (":bold" 1, ":italic" 16,
// ":noantialias" 2, ":standardantialias" 4, ":cleartypeantialias" and
// ":subpixelantialias" 8, any case; unknown options are dropped). Options
// are ORed into `styleFlags`; the first word always belongs to the face.
// Returns whether the face exists.
bool parseFontAlternative(const ustring& text, ustring& face, int& size, int& styleFlags,
                          const FaceExistsFunction& exists);

// Reads a font spec of ";"-separated alternatives; the caller presets `size`
// (12) and `styleFlags` (0). True with the first alternative whose face
// exists. Size and options accumulate over the alternatives read. When no
// face exists: false with the first alternative's face (empty for a spec
// without alternatives).
bool parseFontSpec(const ustring& spec, ustring& face, int& size, int& styleFlags,
                   const FaceExistsFunction& exists = fontFaceExists);
