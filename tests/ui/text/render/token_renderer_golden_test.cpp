// Whole frames of the token renderer, compared with golden drawings in
// tests/data/render/: the recording canvas's call lines (NAME.txt) and the
// software canvas's pixels (NAME.png), with the box font of the native
// rasteriser. The same scenes with the real glyphs are checked by the Wine
// test program (token_renderer_golden_wintest.cpp).
//
// A changed drawing fails with the call lines that differ. To accept new
// drawings, run the tests with VANTREL_UPDATE_GOLDEN=1, which rewrites the
// files, and review the change to them.
#include <gtest/gtest.h>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "ui/text/render/render_scenes.h"

namespace {

using render_scenes::Scene;
using render_scenes::SceneFrame;

class TokenRendererGolden : public testing::TestWithParam<Scene> {
protected:
    render_scenes::SceneResources m_resources;
};

TEST_P(TokenRendererGolden, DrawsAsTheGoldenFiles)
{
    const Scene& scene = GetParam();
    const std::string name = std::string("render/") + scene.name;
    {
        RecordingCanvas canvas;
        SceneFrame frame(canvas, scene, m_resources);
        canvas.clearLines();
        frame.draw();
        golden::compareText(name + ".txt", canvas.text());
    }
    {
        SoftwareCanvas canvas(render_scenes::kWidth, render_scenes::kHeight);
        SceneFrame frame(canvas, scene, m_resources);
        canvas.clear(m_resources.background());
        frame.draw();
        golden::comparePixels(name + ".png", {canvas.width(), canvas.height(), canvas.pixels()});
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGolden, testing::ValuesIn(render_scenes::kScenes),
                         render_scenes::sceneName);

} // namespace
