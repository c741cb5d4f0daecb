// Glyph atlases and their batches. A block of 256 code units is rasterised
// on first use into as many 512 x 256 atlases as it needs; each atlas has
// one vertex buffer, kept locked between flushes, into which drawText writes
// six vertices per glyph. A flush unlocks each buffer that holds glyphs,
// draws it with its atlas in one call and locks it again, so text reaches
// the screen grouped by atlas rather than in call order.
//
// Font specs are read here as well: the face existence test is the only
// system call, and it is passed in so the reading is tested natively.
#include "canvas/util/texture_unicode_font.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "ui/log.h"
#include "ui/statistics.h"

void MemoryBufferFontHelper::freeBuffer(void* buffer) { delete[] static_cast<unsigned char*>(buffer); }

void* MemoryBufferFontHelper::allocBuffer(int bytes) { return new unsigned char[size_t(bytes)]; }

TextureUnicodeFont::TextureUnicodeFont(TextureUnicodeFontHelper* helper, const ustring& face,
                                       int size, int styleFlags, const ColourPair& colours)
    : m_helper(helper), m_face(face), m_size(size), m_styleFlags(styleFlags), m_colours(colours)
{
}

TextureUnicodeFont::~TextureUnicodeFont() { clearGlyphs(); }

void TextureUnicodeFont::clearGlyphs()
{
    for (std::unique_ptr<GlyphTable>& table : m_glyphTables)
        table.reset();
    for (Batch& batch : m_batches) {
        if (batch.texture)
            m_helper->destroyTexture(batch.texture);
        if (batch.buffer)
            m_helper->freeBuffer(batch.buffer);
        ++g_statFontTextureUnload.count;
    }
    m_batches.clear();
}

int TextureUnicodeFont::rasterise(int first, int blockEnd, GlyphRect* rects, void*& texture)
{
    std::vector<uint32_t> pixels(size_t(kAtlasWidth) * kAtlasHeight, 0u);
    const int placed = rasteriseGlyphs(
        pixels.data(), kAtlasWidth, kAtlasHeight, m_face.c_str(), float(m_size), m_styleFlags,
        m_colours, uchar(first), blockEnd - first, rects);
    texture = placed > 0 ? m_helper->createTexture(pixels.data(), kAtlasWidth, kAtlasHeight) : nullptr;
    return placed;
}

void TextureUnicodeFont::attachAtlas(Batch& batch, void* texture)
{
    batch.texture = texture;
    batch.buffer = m_helper->allocBuffer(kBufferBytes);
    if (batch.buffer)
        batch.base = batch.cur = static_cast<unsigned char*>(m_helper->lockBuffer(batch.buffer));
}

void TextureUnicodeFont::buildTable(int block)
{
    VASSERT(!m_glyphTables[block]);
    m_glyphTables[block].reset(new GlyphTable());
    GlyphTable& table = *m_glyphTables[block];
    const int blockStart = block * 256;
    const int blockEnd = blockStart + 256;
    for (int first = blockStart; first < blockEnd;) {
        m_batches.push_back(Batch());
        ++g_statFontTextureLoad.count;
        const int batchIndex = int(m_batches.size()) - 1;
        void* texture = nullptr;
        const int placed = rasterise(first, blockEnd, table.rects + (first - blockStart), texture);
        if (placed <= 0) {
            // The rest of the block stays unplaced: zero rects, zero advances.
            for (int i = first - blockStart; i < 256; ++i)
                table.rects[i] = GlyphRect{0, 0, 0, 0};
            break;
        }
        if (m_lineHeight == 0.f)
            m_lineHeight = table.rects[0].y1;
        for (int i = first - blockStart; i < 256; ++i) {
            const GlyphRect& r = table.rects[i];
            table.textureCoordinates[i] = GlyphRect{(r.x0 + 0.1f) / kAtlasWidth, (r.y0 + 0.1f) / kAtlasHeight,
                                                    (r.x1 + 0.1f) / kAtlasWidth, (r.y1 + 0.1f) / kAtlasHeight};
            table.batchIndex[i] = batchIndex;
        }
        // Without a texture (no device for now) the glyphs are measured all
        // the same; the atlas is made again when one of them is drawn.
        Batch& batch = m_batches[size_t(batchIndex)];
        batch.firstCodeUnit = first;
        if (texture)
            attachAtlas(batch, texture);
        first += placed;
    }
}

bool TextureUnicodeFont::retryAtlas(Batch& batch)
{
    const int blockEnd = (batch.firstCodeUnit & ~255) + 256;
    GlyphRect rects[256];
    void* texture = nullptr;
    if (rasterise(batch.firstCodeUnit, blockEnd, rects, texture) <= 0 || !texture)
        return false;
    attachAtlas(batch, texture);
    return true;
}

void TextureUnicodeFont::getAdvances(int first, int count, float* out)
{
    for (int i = 0; i < count; ++i) {
        const int codeUnit = first + i;
        const int block = (codeUnit >> 8) & 255;
        if (!m_glyphTables[block])
            buildTable(block);
        const GlyphRect& r = m_glyphTables[block]->rects[codeUnit & 255];
        out[i] = r.x1 - r.x0;
    }
}

void TextureUnicodeFont::drawText(float x, float y, const uchar* first, const uchar* end,
                                  const ColourPair&, bool drawWhiteSpace)
{
    for (const uchar* p = first; p < end; ++p) {
        const uchar c = *p;
        const float a = advance(c);
        if (a == 0.f)
            continue;
        if (c == 10 || c == 9 || (c == 32 && !drawWhiteSpace)) {
            x += a;
            continue;
        }
        const int block = c >> 8;
        if (!m_glyphTables[block])
            buildTable(block);
        const GlyphTable& table = *m_glyphTables[block];
        const int index = c & 255;
        Batch* batch = &m_batches[size_t(table.batchIndex[index])];
        if (!batch->texture && !retryAtlas(*batch)) {
            x += a;
            continue;
        }
        if (batch->cur && batch->cur + kGlyphBytes >= batch->base + kBufferBytes)
            flush();
        if (!batch->cur)
            return;
        const GlyphRect& r = table.rects[index];
        const GlyphRect& t = table.textureCoordinates[index];
        const float w = r.x1 - r.x0;
        const float h = r.y1 - r.y0;
        const Vertex quad[6] = {{x, y, 0, t.x0, t.y0},         {x + w, y, 0, t.x1, t.y0},
                                {x + w, y + h, 0, t.x1, t.y1}, {x + w, y + h, 0, t.x1, t.y1},
                                {x, y + h, 0, t.x0, t.y1},     {x, y, 0, t.x0, t.y0}};
        std::memcpy(batch->cur, quad, sizeof quad);
        batch->cur += kGlyphBytes;
        x += a;
    }
}

void TextureUnicodeFont::beginBatch(bool filtered) { m_filtered = filtered; }

void TextureUnicodeFont::endBatch() { flush(); }

void TextureUnicodeFont::flush()
{
    m_helper->beginFlush(m_filtered);
    for (Batch& batch : m_batches) {
        if (!batch.cur || batch.cur == batch.base)
            continue;
        m_helper->unlockBuffer(batch.buffer);
        m_helper->drawTriangles(batch.buffer, int((batch.cur - batch.base) / (3 * sizeof(Vertex))),
                                int(sizeof(Vertex)), batch.texture);
        batch.base = batch.cur = static_cast<unsigned char*>(m_helper->lockBuffer(batch.buffer));
    }
    m_helper->endFlush();
}

// --- MultiFont -------------------------------------------------------------

MultiFont::MultiFont(TextureUnicodeFontHelper* helper, const ustring& face, int size,
                     int styleFlags)
    : m_helper(helper), m_face(face), m_size(size), m_styleFlags(styleFlags)
{
    TextureUnicodeFont& font = variant({Colour(0, 0, 0), Colour(1, 1, 1)});
    font.advance(u'x');
    m_lineHeight = font.lineHeight();
    if (m_lineHeight == 0.f) {
        // The system drew nothing (no device, a failed rasteriser): text of
        // this font takes no room, but layout keeps a usable line height.
        VLOG << u"No glyphs for the font " << face << u" " << size;
        m_lineHeight = std::max(1.f, std::round(float(size) * 96.f / 72.f));
    }
}

MultiFont::~MultiFont()
{
    m_variants.clear();
    m_helper.reset();
}

TextureUnicodeFont& MultiFont::variant(const ColourPair& colours)
{
    for (Variant& v : m_variants) {
        if (v.colours == colours) {
            v.lastUsedFrame = m_frame;
            return *v.font;
        }
    }
    Variant v;
    v.colours = colours;
    v.font.reset(new TextureUnicodeFont(m_helper.get(), m_face, m_size, m_styleFlags, colours));
    v.lastUsedFrame = m_frame;
    if (m_batching)
        v.font->beginBatch(m_batchFiltered);
    m_variants.push_back(std::move(v));
    return *m_variants.back().font;
}

void MultiFont::drawText(float x, float y, const uchar* first, const uchar* end,
                         const ColourPair& colours, bool drawWhiteSpace)
{
    variant(colours).drawText(x, y, first, end, colours, drawWhiteSpace);
}

void MultiFont::beginBatch(bool filtered)
{
    m_batching = true;
    m_batchFiltered = filtered;
    for (Variant& v : m_variants)
        v.font->beginBatch(filtered);
}

void MultiFont::endBatch()
{
    m_batching = false;
    for (Variant& v : m_variants)
        v.font->endBatch();
}

void MultiFont::flush()
{
    for (Variant& v : m_variants)
        v.font->flush();
}

void MultiFont::getAdvances(int first, int count, float* out)
{
    m_variants.front().font->getAdvances(first, count, out);
}

void MultiFont::dropVariantsBefore(int frame)
{
    if (m_variants.size() < 2)
        return;
    m_variants.erase(std::remove_if(m_variants.begin() + 1, m_variants.end(),
                                    [frame](const Variant& v) { return v.lastUsedFrame < frame; }),
                     m_variants.end());
}

void MultiFont::clearGlyphs()
{
    for (Variant& v : m_variants)
        v.font->clearGlyphs();
}

// --- Font specs ------------------------------------------------------------

namespace {

bool isBlankOrTab(uchar c) { return c == u' ' || c == u'\t'; }

ustring trimmed(const ustring& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isBlankOrTab(text[begin]))
        ++begin;
    while (end > begin && isBlankOrTab(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The leading decimal integer as atoi reads it (blanks, a sign, digits),
// saturated instead of overflowing.
int leadingInteger(const ustring& word)
{
    size_t i = 0;
    while (i < word.size() && (word[i] == u' ' || (word[i] >= 9 && word[i] <= 13)))
        ++i;
    bool negative = false;
    if (i < word.size() && (word[i] == u'+' || word[i] == u'-'))
        negative = word[i++] == u'-';
    long long value = 0;
    for (; i < word.size() && word[i] >= u'0' && word[i] <= u'9'; ++i)
        value = std::min<long long>(value * 10 + (word[i] - u'0'), INT_MAX);
    return int(negative ? -value : value);
}

bool equalsNoCase(const ustring& word, const char* option)
{
    size_t i = 0;
    for (; option[i]; ++i) {
        if (i >= word.size())
            return false;
        uchar c = word[i];
        if (c >= u'A' && c <= u'Z')
            c = uchar(c + 32);
        if (c != uchar(option[i]))
            return false;
    }
    return i == word.size();
}

int optionFlag(const ustring& word)
{
    static const struct {
        const char* name;
        int flag;
    } kOptions[] = {{":bold", kFontBold},
                    {":italic", kFontItalic},
                    {":noantialias", kFontNoAntialias},
                    {":standardantialias", kFontStandardAntialias},
                    {":cleartypeantialias", kFontClearTypeAntialias},
                    {":subpixelantialias", kFontClearTypeAntialias}};
    for (const auto& option : kOptions)
        if (equalsNoCase(word, option.name))
            return option.flag;
    return 0;
}

} // namespace

bool parseFontAlternative(const ustring& text, ustring& face, int& size, int& styleFlags,
                          const FaceExistsFunction& exists)
{
    ustring rest = trimmed(text);
    bool sizeTaken = false;
    for (;;) {
        const size_t blank = rest.rfind(u' ');
        if (blank == ustring::npos)
            break;
        const ustring word = rest.substr(blank + 1);
        const int number = sizeTaken ? 0 : leadingInteger(word);
        if (number != 0) {
            size = number < 2 ? 12 : number;
            sizeTaken = true;
        } else if (!word.empty() && word[0] == u':') {
            styleFlags |= optionFlag(word);
        } else {
            break;
        }
        rest.resize(blank);
    }
    face = trimmed(rest);
    return exists(face);
}

bool parseFontSpec(const ustring& spec, ustring& face, int& size, int& styleFlags,
                   const FaceExistsFunction& exists)
{
    std::vector<ustring> alternatives;
    size_t start = 0;
    while (start <= spec.size()) {
        size_t end = spec.find(u';', start);
        if (end == ustring::npos)
            end = spec.size();
        if (end > start)
            alternatives.push_back(spec.substr(start, end - start));
        start = end + 1;
    }
    for (const ustring& alternative : alternatives)
        if (parseFontAlternative(alternative, face, size, styleFlags, exists))
            return true;
    face.clear();
    if (!alternatives.empty())
        parseFontAlternative(alternatives.front(), face, size, styleFlags, exists);
    return false;
}
