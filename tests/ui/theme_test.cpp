#include "ui/theme.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/package_files.h"
#include "canvas/recording_canvas.h"

namespace {

slate::SP<Options> optionsOf(const char16_t* text)
{
    slate::SP<Options> options(new Options);
    options->parse(text);
    return options;
}

// What drawing `element` into `rect` records.
std::vector<std::string> drawn(RecordingCanvas& canvas, Theme& theme, const char* element,
                               const interval2& rect = interval2(0, 0, 20, 20))
{
    canvas.clearLines();
    theme.get(element).draw(rect);
    return canvas.lines();
}

TEST(Theme, NamesFallBackToTheirPrefixesAndRememberIt)
{
    RecordingCanvas canvas;
    Theme theme(&canvas, optionsOf(u"button ColorShader red\nx ColorShader blue\n"));
    const std::vector<std::string> red = {"fillRect 0 0 20 20 colour 1 0 0"};
    EXPECT_EQ(drawn(canvas, theme, "button.down.disabled"), red);
    EXPECT_TRUE(drawn(canvas, theme, "tab.selected").empty());
    EXPECT_TRUE(drawn(canvas, theme, ".x").empty()); // the only dot is the first character
    EXPECT_TRUE(drawn(canvas, theme, "buttons").empty());

    // The fallback was entered under the full name: a later, more specific
    // shader does not change it until the next reload.
    const float green[3] = {0, 1, 0};
    theme.addShader("button.down", new ColourShader(&canvas, green));
    EXPECT_EQ(drawn(canvas, theme, "button.down.disabled"), red);
    EXPECT_EQ(drawn(canvas, theme, "button.down"), std::vector<std::string>{"fillRect 0 0 20 20 colour 0 1 0"});
}

TEST(Theme, ShaderSpecsNeedTheirExactClassWordAndCount)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"a.png", 2, 2, 0xFF000000);
    files.addImage(u"b.png", 2, 2, 0xFF000000);
    RecordingCanvas canvas;
    Theme theme(&canvas, optionsOf(u"lower colorshader red\n"
                                   u"panel TextureShader Packages/a.png Packages/b.png\n"
                                   u"simple SimpleTextureShader Packages/a.png Packages/b.png\n"
                                   u"empty \n"
                                   u"font.unknown 1\n"
                                   u"control.whatever ColorShader red\n"
                                   u"colour ColorShader notacolour\n"));
    EXPECT_TRUE(drawn(canvas, theme, "lower").empty());
    EXPECT_TRUE(drawn(canvas, theme, "panel").empty());
    EXPECT_TRUE(drawn(canvas, theme, "empty").empty());
    EXPECT_TRUE(drawn(canvas, theme, "control.whatever").empty());
    EXPECT_EQ(drawn(canvas, theme, "simple"),
              (std::vector<std::string>{"pushTexture Packages/a.png",
                                        "drawTexturedQuad 0 0 20 20 from 0 1 1 0 texture Packages/a.png"}));
    EXPECT_EQ(drawn(canvas, theme, "colour"), std::vector<std::string>{"fillRect 0 0 20 20 colour 1 1 1"});
}

TEST(Theme, BorderedImagesKeepTheirCornersOrDrawNothing)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"tab_w4h4.png", 16, 16, 0xFF000000);
    RecordingCanvas canvas;
    Theme theme(&canvas, optionsOf(u"tab TextureShader Packages/tab_w4h4.png\n"));
    EXPECT_TRUE(drawn(canvas, theme, "tab", interval2(0, 0, 6, 20)).empty()); // narrower than 2 x 4
    const std::vector<std::string> lines = drawn(canvas, theme, "tab", interval2(10, 0, 18, 20));
    ASSERT_EQ(lines.size(), 10u); // the texture, then nine cells
    EXPECT_EQ(lines[1], "drawTexturedQuad 10 0 14 4 from 0.001 0.001 0.25 0.25 texture Packages/tab_w4h4.png");
    EXPECT_EQ(lines[9], "drawTexturedQuad 14 16 18 20 from 0.751 0.751 1 1 texture Packages/tab_w4h4.png");
}

TEST(Theme, BlendedImagesMixAndRestoreTheState)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"up.png", 2, 2, 0xFF000000);
    files.addImage(u"down.png", 2, 2, 0xFF000000);
    RecordingCanvas canvas;
    canvas.setBlendMode(BlendMode::TextureAlpha);
    canvas.setAlpha(0.75f);
    Theme theme(&canvas, optionsOf(u"button BlendedTextureShader Packages/up.png Packages/down.png\n"));
    canvas.clearLines();
    theme.get("button").draw(interval2(0, 0, 4, 4), 0.25f);
    std::vector<std::string> state;
    for (const std::string& line : canvas.lines())
        if (line.rfind("set", 0) == 0 || line.rfind("pushTexture", 0) == 0)
            state.push_back(line);
    EXPECT_EQ(state, (std::vector<std::string>{"pushTexture Packages/up.png", "setBlendMode 1",
                                               "setAlpha 0.25", "pushTexture Packages/down.png",
                                               "setBlendMode 2", "setAlpha 0.75"}));
    EXPECT_EQ(canvas.getBlendMode(), BlendMode::TextureAlpha);
    EXPECT_EQ(canvas.getAlpha(), 0.75f);
}

TEST(Theme, SizesAndFontsFollowReloads)
{
    RecordingCanvas canvas;
    slate::SP<Options> options =
        optionsOf(u"size.checkboxWidth 20\nsize.toolbarHeight 40\ncontrol.font.face Arial 9\n"
                  u"control.backgroundColor #000080\n");
    Theme theme(&canvas, options);
    EXPECT_EQ(theme.checkboxWidth, 20.f);
    EXPECT_EQ(theme.toolbarHeight, 40.f);
    EXPECT_EQ(theme.controlFont.font, canvas.getFont(u"Arial 9", 0));
    EXPECT_EQ(theme.controlFont.boldFont, canvas.getFont(u"Arial 9", 1));
    EXPECT_FLOAT_EQ(theme.controlFont.colours.background.blue, 128 / 255.f);
    EXPECT_EQ(theme.font(false).font, theme.controlFont.font);
    EXPECT_EQ(theme.controlHighlightFont.colours.background.blue, 1.f); // the default highlight

    options->parse(u"control.font.color red\n");
    options->notifyChanged();
    EXPECT_EQ(theme.checkboxWidth, 20.f); // kept until the theme is replaced
    EXPECT_EQ(theme.toolbarHeight, 32.f); // back to its default at once
    EXPECT_EQ(theme.controlFont.colours.text.red, 1.f);
    EXPECT_EQ(theme.controlFont.colours.text.green, 0.f);
    EXPECT_FLOAT_EQ(theme.controlFont.colours.background.blue, 128 / 255.f); // colours keep the last value
}

// Two windows on one theme file: closing one must leave the other reloading.
TEST(Theme, DestroyingAThemeRemovesOnlyItsOwnListener)
{
    slate::SP<Options> options = optionsOf(u"size.toolbarHeight 40\n");
    int othersCalled = 0;
    options->addListener([&othersCalled] { ++othersCalled; });
    Theme survivor(nullptr, options);
    {
        Theme closed(nullptr, options);
    }
    options->parse(u"size.toolbarHeight 50\n");
    options->notifyChanged();
    EXPECT_EQ(survivor.toolbarHeight, 50.f);
    EXPECT_EQ(othersCalled, 1);
}

} // namespace
