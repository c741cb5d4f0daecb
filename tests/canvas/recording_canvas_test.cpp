#include "canvas/recording_canvas.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "canvas/package_files.h"
#include "canvas/unicode_font.h"

namespace {

std::string readData(const char* name)
{
    std::ifstream file(std::string(VANTREL_TEST_DATA_DIR) + "/canvas/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A small panel drawn the way controls draw: clip, fill, border, icon, text.
TEST(RecordingCanvas, WritesEachCallersCallAsOneLine)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"icon.png", 4, 4, 0xFF00FF00);
    RecordingCanvas canvas;
    const float grey[3] = {0.5f, 0.5f, 0.5f};
    const float black[3] = {0, 0, 0};
    const interval2 saved = canvas.intersectClip(interval2(10, 10, 110, 40));
    canvas.fillRect(interval2(10, 10, 110, 40), grey);
    canvas.drawLine(vector2{10, 39.5f}, vector2{110, 39.5f}, black);
    slate::SP<Texture> icon = canvas.loadTexture(u"Packages/icon.png");
    canvas.loadTexture(u"Packages/missing.png");
    const BlendMode mode = canvas.setBlendMode(BlendMode::TextureAlpha);
    canvas.drawTexture(icon, interval2(12, 12, 16, 16), icon->fullImageRect());
    canvas.setBlendMode(mode);
    UnicodeFont* font = canvas.getFont(u"Courier New 10", 1);
    const ustring label = u"Save \"all\"\t\u00e9";
    font->beginBatch(false);
    font->drawText(20, 12, label.data(), label.data() + label.size(), {Colour(0, 0, 0), Colour(0.5f, 0.5f, 0.5f)}, false);
    font->endBatch();
    const float strip[] = {0, 0, 0, 1, 1, 0, 2, 0, 0};
    canvas.pushColour(black);
    canvas.drawLineStrip(strip, 3);
    const uint16_t triangle[] = {0, 1, 2};
    canvas.drawIndexedTriangles(strip, triangle, 3, 3);
    canvas.setClip(saved);
    EXPECT_EQ(canvas.text(), readData("recording_panel.txt"));
}

TEST(RecordingCanvas, FormatsPiecesOfLines)
{
    EXPECT_EQ(RecordingCanvas::formatRect(interval2()), "unset");
    EXPECT_EQ(RecordingCanvas::formatRect(interval2(-0.f, 1.5f, 2, 1e6f)), "0 1.5 2 1e+06");
    EXPECT_EQ(RecordingCanvas::formatText(u"a\\\"\n\u4e2d"), "\"a\\\\\\\"\\u000A\\u4E2D\"");
}

} // namespace
