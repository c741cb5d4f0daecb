#include "canvas/util/texture_unicode_font.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

// Records what the fonts ask of the graphics interface.
struct HelperLog {
    std::vector<int> drawnTriangles; // per drawTriangles call
    int texturesMade = 0;
    int texturesDestroyed = 0;
    bool failTextures = false;
};

class LoggingHelper : public TextureUnicodeFontHelper {
public:
    explicit LoggingHelper(HelperLog& log) : m_log(log) {}
    void destroyTexture(void* texture) override
    {
        ++m_log.texturesDestroyed;
        delete static_cast<int*>(texture);
    }
    void freeBuffer(void* buffer) override { delete[] static_cast<unsigned char*>(buffer); }
    void* createTexture(const uint32_t*, int, int) override
    {
        if (m_log.failTextures)
            return nullptr;
        ++m_log.texturesMade;
        return new int(0);
    }
    void* allocBuffer(int bytes) override { return new unsigned char[size_t(bytes)]; }
    void* lockBuffer(void* buffer) override { return buffer; }
    void unlockBuffer(void*) override {}
    void drawTriangles(void*, int triangles, int vertexSize, void*) override
    {
        EXPECT_EQ(vertexSize, 20);
        m_log.drawnTriangles.push_back(triangles);
    }
    void beginFlush(bool) override {}
    void endFlush() override {}

private:
    HelperLog& m_log;
};

bool knownFaces(const ustring& face) { return face == u"Courier New" || face == u"Arial"; }

TEST(ParseFontSpec, ReadsFaceSizeAndOptions)
{
    struct Case {
        const char16_t* spec;
        bool found;
        const char16_t* face;
        int size;
        int flags;
    } cases[] = {
        {u"Courier New 10 :bold", true, u"Courier New", 10, 1},
        {u"  Courier New\t", true, u"Courier New", 12, 0},
        {u"Courier New 1", true, u"Courier New", 12, 0},             // a size below 2 becomes 12
        {u"Arial :Bold :ITALIC", true, u"Arial", 12, 17},            // case does not matter
        {u"Arial :subpixelantialias", true, u"Arial", 12, 8},
        {u"Arial :narrow 9", true, u"Arial", 9, 0},                  // unknown options are dropped
        {u"Arial 8 9", false, u"Arial 8", 9, 0},                     // only the last number is the size
        {u"10", false, u"10", 12, 0},                                // the first word is the face
        {u"Nowhere 14 :bold; Arial", true, u"Arial", 14, 1},         // options accumulate
        {u"Nowhere 14; Elsewhere :italic", false, u"Nowhere", 14, 16}, // no face: the first one
        {u";;", false, u"", 12, 0},
        {u"", false, u"", 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.spec, c.spec + std::char_traits<char16_t>::length(c.spec)));
        ustring face = u"stale";
        int size = 12, flags = 0;
        EXPECT_EQ(parseFontSpec(c.spec, face, size, flags, knownFaces), c.found);
        EXPECT_EQ(face, c.face);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(flags, c.flags);
    }
}

TEST(MultiFont, KeepsOneVariantPerExactColourPair)
{
    HelperLog log;
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    EXPECT_GT(font.lineHeight(), 0.f);
    EXPECT_EQ(font.variantCount(), 1u); // black on white, made for the line height
    const float black[3] = {0, 0, 0}, white[3] = {1, 1, 1};
    float almostWhite[3] = {1, 1, 1};
    almostWhite[2] = std::nextafter(1.f, 0.f);
    TextureUnicodeFont& first = font.variant({black, white});
    EXPECT_EQ(&font.variant({black, white}), &first);
    EXPECT_NE(&font.variant({black, almostWhite}), &first);
    EXPECT_EQ(font.variantCount(), 2u);

    font.setFrame(5);
    font.variant({white, black});
    font.dropVariantsBefore(5); // the default and the one used in frame 5 stay
    EXPECT_EQ(font.variantCount(), 2u);
}

TEST(MultiFont, AdvancesComeFromTheDefaultVariant)
{
    HelperLog log;
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    const float advanceBefore = font.advance(u'a');
    const ustring text = u"aaa";
    font.drawText(0, 0, text.data(), text.data() + 3, {Colour(1, 0, 0), Colour(0, 0, 0)}, false);
    EXPECT_EQ(font.advance(u'a'), advanceBefore);
    float advances[256];
    font.getAdvances(0, 256, advances);
    EXPECT_EQ(advances['a'], advanceBefore);
}

TEST(TextureUnicodeFont, FlushesWhenTheBufferFillsAndAtTheEndOfTheBatch)
{
    HelperLog log;
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    const ustring text(200, u'x');
    font.beginBatch(false);
    font.drawText(0, 0, text.data(), text.data() + text.size(), {Colour(0, 0, 0), Colour(1, 1, 1)}, false);
    EXPECT_EQ(log.drawnTriangles, std::vector<int>({2 * 127}));
    font.endBatch();
    EXPECT_EQ(log.drawnTriangles, std::vector<int>({2 * 127, 2 * 73}));
    font.flush(); // nothing pending
    EXPECT_EQ(log.drawnTriangles.size(), 2u);
}

TEST(TextureUnicodeFont, BlanksAreDrawnOnlyWithWhiteSpace)
{
    HelperLog log;
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    const ustring text = u" \t\n";
    font.drawText(0, 0, text.data(), text.data() + 3, {Colour(0, 0, 0), Colour(1, 1, 1)}, false);
    font.flush();
    EXPECT_TRUE(log.drawnTriangles.empty());
    font.drawText(0, 0, text.data(), text.data() + 3, {Colour(0, 0, 0), Colour(1, 1, 1)}, true);
    font.flush();
    EXPECT_EQ(log.drawnTriangles, std::vector<int>({2})); // the blank's dot only
}

TEST(TextureUnicodeFont, BlocksAreBuiltOnFirstUseAndReleased)
{
    HelperLog log;
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    const int afterBlockZero = log.texturesMade;
    EXPECT_GT(afterBlockZero, 0);
    EXPECT_GT(font.advance(0x4E2D), 0.f);
    EXPECT_GT(log.texturesMade, afterBlockZero);
    font.clearGlyphs();
    EXPECT_EQ(log.texturesDestroyed, log.texturesMade);
    EXPECT_GT(font.advance(0x4E2E), 0.f); // cached advances stay
}

TEST(TextureUnicodeFont, WithoutAnAtlasGlyphsAreMeasuredAndDrawnOnceItCanBeMade)
{
    HelperLog log;
    log.failTextures = true; // as between a lost device and its successor
    MultiFont font(new LoggingHelper(log), u"Courier New", 10, 0);
    EXPECT_GT(font.advance(u'a'), 0.f);
    EXPECT_GT(font.advance(0x4E2D), 0.f);
    EXPECT_GT(font.lineHeight(), 0.f);
    const ustring text = u"abc";
    font.drawText(0, 0, text.data(), text.data() + 3, {Colour(0, 0, 0), Colour(1, 1, 1)}, true);
    font.flush();
    EXPECT_TRUE(log.drawnTriangles.empty());

    log.failTextures = false;
    font.drawText(0, 0, text.data(), text.data() + 3, {Colour(0, 0, 0), Colour(1, 1, 1)}, true);
    font.flush();
    EXPECT_EQ(log.drawnTriangles, std::vector<int>({6}));
}

} // namespace
