// The token renderer's golden scenes drawn for real by both graphics
// renderers (Mesa's OpenGL and Wine's Direct3D 9 over it, under Xvfb), read
// back, and compared within a small tolerance per channel with the software
// canvas's drawing of the same scene. The reference is drawn here, not read
// from tests/data/render/: those drawings hold the native glyph rasteriser's
// glyphs, and this program rasterises with GDI.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "canvas/renderers_under_test.h"
#include "canvas/software_canvas.h"
#include "ui/text/render/golden_scenes.h"

namespace {

using golden_scenes::kHeight;
using golden_scenes::kScenes;
using golden_scenes::kWidth;
using golden_scenes::Scene;

// One step per channel, for differences the renderers are built with:
// Direct3D's texture factor carries the fill colour truncated to bytes (0.9
// becomes 229, where OpenGL and the software canvas give 230), and OpenGL
// rounds a half-alpha blend a step lower than the software canvas.
const int kTolerance = 1;

struct Case {
    const RendererUnderTest* renderer;
    const Scene* scene;
};

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (const RendererUnderTest& renderer : kRenderersUnderTest)
        for (const Scene& scene : kScenes)
            cases.push_back({&renderer, &scene});
    return cases;
}

void PrintTo(const Case& c, std::ostream* out) { *out << c.renderer->name << " " << c.scene->name; }

class TokenRendererOnRenderers : public testing::TestWithParam<Case> {};

TEST_P(TokenRendererOnRenderers, DrawsAsTheSoftwareCanvas)
{
    const Scene& scene = *GetParam().scene;
    golden_scenes::SceneResources resources;
    std::unique_ptr<RendererHarness> harness = GetParam().renderer->create(kWidth, kHeight);
    ASSERT_TRUE(harness->ok());
    std::vector<uint32_t> pixels;
    {
        Canvas& canvas = *harness->canvas();
        golden_scenes::SceneFrame frame(canvas, scene, resources.syntax(), resources.styler.get(),
                                        resources.checker.get(), resources.themeOptions);
        ASSERT_TRUE(harness->beginFrame());
        canvas.setBlendMode(0);
        canvas.fillRect(interval2(0, 0, kWidth, kHeight), resources.styler->colours().background);
        frame.draw();
        pixels = harness->readPixels();
        harness->endFrame();
    }

    SoftwareCanvas reference(kWidth, kHeight);
    {
        golden_scenes::SceneFrame frame(reference, scene, resources.syntax(),
                                        resources.styler.get(), resources.checker.get(),
                                        resources.themeOptions);
        reference.clear(resources.styler->colours().background);
        frame.draw();
    }
    const std::vector<uint32_t>& expected = reference.pixels();
    int differing = 0, worst = 0;
    std::string where;
    for (size_t i = 0; i < expected.size(); ++i) {
        int difference = 0;
        for (int shift : {0, 8, 16})
            difference = std::max(difference, std::abs(int(expected[i] >> shift & 0xFF) -
                                                       int(pixels[i] >> shift & 0xFF)));
        worst = std::max(worst, difference);
        if (difference > kTolerance && differing++ < 12) {
            char text[64];
            std::snprintf(text, sizeof(text), " (%d,%d) %06x/%06x", int(i % kWidth),
                          int(i / kWidth), expected[i] & 0xFFFFFF, pixels[i]);
            where += text;
        }
    }
    EXPECT_EQ(differing, 0) << "worst difference " << worst << "; golden/drawn:" << where;
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererOnRenderers, testing::ValuesIn(allCases()),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.renderer->name) + "_" +
                                    info.param.scene->name;
                         });

} // namespace
