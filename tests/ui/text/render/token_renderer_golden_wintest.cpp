// The token renderer's fixture scenes with the real glyphs: the GDI
// rasteriser drawing the fonts mapped in the Wine prefix (Liberation Mono
// for "Courier New").
// The recording canvas's call lines and the
// software canvas's pixels are compared with the golden drawings in
// tests/data/render/glyphs/ (VANTREL_UPDATE_GOLDEN=1 rewrites them); the
// graphics interfaces are compared with these images in
// tests/canvas/renderer_frames_wintest.cpp.
#include <gtest/gtest.h>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "ui/text/render/render_scenes.h"

namespace {

using render_scenes::Scene;
using render_scenes::SceneFrame;
using render_scenes::kHeight;
using render_scenes::kWidth;

class TokenRendererGlyphGolden : public testing::TestWithParam<Scene> {
protected:
    render_scenes::SceneResources m_resources;
};

TEST_P(TokenRendererGlyphGolden, DrawsAsTheGoldenFiles)
{
    const Scene& scene = GetParam();
    {
        RecordingCanvas canvas;
        SceneFrame frame(canvas, scene, m_resources);
        canvas.clearLines();
        frame.draw(render_scenes::kSoftwareHalfPixelShapes);
        golden::compareText(render_scenes::glyphGoldenName(scene) + ".txt", canvas.text());
    }
    {
        SoftwareCanvas canvas(kWidth, kHeight);
        SceneFrame frame(canvas, scene, m_resources);
        canvas.clear(m_resources.background());
        frame.draw(render_scenes::kSoftwareHalfPixelShapes);
        golden::comparePixels(render_scenes::glyphGoldenName(scene) + ".png",
                              {canvas.width(), canvas.height(), canvas.pixels()});
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGlyphGolden, testing::ValuesIn(render_scenes::kScenes),
                         render_scenes::sceneName);

} // namespace
