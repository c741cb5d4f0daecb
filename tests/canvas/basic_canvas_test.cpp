// The contract every canvas keeps, checked on the recording canvas (which
// runs the shared state and caches unchanged) and, for what reaches the
// pixels, on the software canvas.
#include "canvas/basic_canvas.h"
#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/util/texture_unicode_font.h"

#include <gtest/gtest.h>

#include "canvas/package_files.h"

namespace {

const float kRed[3] = {1, 0, 0};
const float kBlue[3] = {0, 0, 1};

TEST(Canvas, StartsWithTheDefaultState)
{
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.getTransform(), Matrix4::identity());
    EXPECT_EQ(canvas.getAlpha(), 1.f);
    EXPECT_EQ(canvas.getBlendMode(), BlendMode::Opaque);
    EXPECT_EQ(canvas.fillState(), FillState());
    EXPECT_FALSE(canvas.fillState().isColour);
    EXPECT_TRUE(isUnset(canvas.setClip(interval2(0, 0, 1, 1))));
}

TEST(Canvas, SettersReturnThePreviousValue)
{
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.setAlpha(0.25f), 1.f);
    EXPECT_EQ(canvas.setAlpha(0.5f), 0.25f);
    EXPECT_EQ(canvas.setBlendMode(BlendMode::TextureAlpha), BlendMode::Opaque);
    EXPECT_EQ(canvas.setBlendMode(BlendMode::TextureAlpha), BlendMode::TextureAlpha);
    EXPECT_EQ(canvas.pushColour(kRed), FillState());
    FillState red = canvas.pushColour(kBlue);
    EXPECT_TRUE(red.isColour);
    EXPECT_EQ(red.colour.red, 1.f);
    FillState blue = canvas.setFillState(red);
    EXPECT_EQ(blue.colour.blue, 1.f);
    EXPECT_EQ(canvas.pushTexture(nullptr), red);
    EXPECT_EQ(canvas.getAlpha(), 0.5f); // fills leave the alpha alone
}

TEST(Canvas, CompoundCallsRestoreTheFill)
{
    RecordingCanvas canvas;
    canvas.pushColour(kBlue);
    const FillState before = canvas.fillState();
    canvas.fillRect(interval2(0, 0, 5, 5), kRed);
    EXPECT_EQ(canvas.fillState(), before);
    canvas.drawLine(vector2{0, 0}, vector2{5, 5}, kRed);
    EXPECT_EQ(canvas.fillState(), before);
    canvas.drawTexture(nullptr, interval2(0, 0, 5, 5), interval2(0, 1, 1, 0));
    EXPECT_EQ(canvas.fillState(), before);
}

TEST(Canvas, ClipsNarrowAndAnEmptyClipStaysEmpty)
{
    struct Case {
        const char* name;
        std::vector<interval2> intersections; // applied in order from no clip
        interval2 expected;
    } cases[] = {
        {"first clip is taken as it is", {interval2(1, 2, 3, 4)}, interval2(1, 2, 3, 4)},
        {"overlap", {interval2(0, 0, 10, 10), interval2(5, -5, 20, 8)}, interval2(5, 0, 10, 8)},
        {"disjoint gives the inverted intersection",
         {interval2(0, 0, 10, 10), interval2(20, 20, 30, 30)}, interval2(20, 20, 10, 10)},
        // An empty clip is never read as "no clip": a collapsed panel's
        // children stay hidden.
        {"empty stays empty",
         {interval2(0, 0, 10, 10), interval2(20, 20, 30, 30), interval2(0, 0, 100, 100)},
         interval2(20, 20, 10, 10)},
        {"zero width stays empty", {interval2(5, 0, 5, 10), interval2(0, 0, 100, 100)},
         interval2(5, 0, 5, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        interval2 previous;
        for (const interval2& r : c.intersections) {
            const interval2 before = canvas.clipRect();
            previous = canvas.intersectClip(r);
            EXPECT_EQ(previous, before);
        }
        EXPECT_EQ(canvas.clipRect(), c.expected);
    }
}

// The planes a renderer clips with keep the rect and one pixel around it,
// and nothing at all for an empty rect; both precisions agree.
TEST(Canvas, ClipPlanesKeepTheRectWidenedByOnePixel)
{
    struct Case {
        const char* name;
        interval2 clip;
        float x, y;
        bool kept;
    } cases[] = {
        {"inside", interval2(10, 20, 30, 40), 15, 25, true},
        {"on the widened left edge", interval2(10, 20, 30, 40), 9, 25, true},
        {"past the widened left edge", interval2(10, 20, 30, 40), 8.5f, 25, false},
        {"on the widened right edge", interval2(10, 20, 30, 40), 31, 25, true},
        {"past the widened right edge", interval2(10, 20, 30, 40), 31.5f, 25, false},
        {"on the widened top edge", interval2(10, 20, 30, 40), 15, 19, true},
        {"past the widened top edge", interval2(10, 20, 30, 40), 15, 18.5f, false},
        {"on the widened bottom edge", interval2(10, 20, 30, 40), 15, 41, true},
        {"past the widened bottom edge", interval2(10, 20, 30, 40), 15, 41.5f, false},
        // Its widened band would otherwise keep a strip around the edge.
        {"zero-width rect keeps nothing on its edge", interval2(5, 0, 5, 10), 5, 5, false},
        {"inverted rect keeps nothing between its edges", interval2(20, 20, 10, 10), 15, 15,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float single[4][4];
        double twice[4][4];
        clipPlaneEquations(c.clip, single);
        clipPlaneEquations(c.clip, twice);
        bool keptSingle = true;
        bool keptDouble = true;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(single[i][2], 0.f);
            keptSingle = keptSingle && single[i][0] * c.x + single[i][1] * c.y + single[i][3] >= 0;
            keptDouble = keptDouble && twice[i][0] * c.x + twice[i][1] * c.y + twice[i][3] >= 0;
        }
        EXPECT_EQ(keptSingle, c.kept);
        EXPECT_EQ(keptDouble, c.kept);
    }
}

TEST(Canvas, TextureCacheKeepsOnlySuccesses)
{
    testing_canvas::PackageFiles files;
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.loadTexture(u"Packages/late.png"), nullptr);
    EXPECT_EQ(canvas.loadTexture(u"Packages/late.png"), nullptr);
    EXPECT_EQ(canvas.findTexture(u"Packages/late.png"), nullptr);

    files.addImage(u"late.png", 3, 5, 0xFF102030);
    slate::SP<Texture> texture = canvas.loadTexture(u"Packages/late.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(canvas.loadTexture(u"Packages/late.png"), texture);
    EXPECT_EQ(canvas.findTexture(u"Packages/late.png"), texture);
    EXPECT_EQ(texture->imageWidth(), 3);
    EXPECT_EQ(texture->textureHeight(), 8);
    EXPECT_EQ(texture->fullImageRect(), interval2(0, 0.625f, 0.75f, 0));
    EXPECT_TRUE(texture->hasAlpha());

    files.add(u"broken.png", std::vector<unsigned char>(40, 0x89));
    EXPECT_EQ(canvas.loadTexture(u"Packages/broken.png"), nullptr);
    EXPECT_EQ(canvas.findTexture(u"Packages/broken.png"), nullptr);
}

TEST(Canvas, ChangedImageIsLoadedAgainIntoItsTexture)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"icon.png", 2, 2, 0xFF000000);
    RecordingCanvas canvas;
    slate::SP<Texture> texture = canvas.loadTexture(u"Packages/icon.png");
    ASSERT_NE(texture, nullptr);
    files.addImage(u"icon.png", 4, 2, 0xFF000000);
    canvas.reloadTexture(u"Packages/icon.png");
    EXPECT_EQ(texture->imageWidth(), 4);
    canvas.reloadTexture(u"Packages/other.png"); // not cached: nothing happens
    EXPECT_EQ(canvas.findTexture(u"Packages/other.png"), nullptr);
}

TEST(Canvas, FontsAreCachedBySpecAndFlags)
{
    RecordingCanvas canvas;
    UnicodeFont* plain = canvas.getFont(u"Courier New 10", 0);
    UnicodeFont* bold = canvas.getFont(u"Courier New 10", 1);
    EXPECT_NE(plain, bold);
    EXPECT_EQ(canvas.getFont(u"Courier New 10", 0), plain);
    EXPECT_EQ(canvas.getFont(u"Courier New 10", 1), bold);
    EXPECT_NE(canvas.getFont(u"Courier New 10 :bold", 0), bold); // cached by the spec as written
    // The bold face is wider in the native box font.
    EXPECT_LT(plain->advance(u'm'), bold->advance(u'm'));
    EXPECT_GT(plain->lineHeight(), 0.f);

    SoftwareCanvas software(8, 8);
    MultiFont* font = dynamic_cast<MultiFont*>(software.getFont(u"Nowhere 9; Arial :italic", 1));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->face(), u"Arial");
    EXPECT_EQ(font->size(), 9);
    EXPECT_EQ(font->styleFlags(), kFontBold | kFontItalic);
    EXPECT_EQ(dynamic_cast<MultiFont*>(software.getFont(u"", 0))->size(), 12);
}

} // namespace
