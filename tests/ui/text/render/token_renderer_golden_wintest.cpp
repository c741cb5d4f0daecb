// The token renderer's fixture scenes with the real glyphs: the GDI
// rasteriser drawing the fonts mapped in the Wine prefix (Liberation Mono
// for "Courier New").
// The recording canvas's call lines and the
// software canvas's pixels are compared with the golden drawings in
// tests/data/render/glyphs/ (VANTREL_UPDATE_GOLDEN=1 rewrites them); the
// graphics interfaces are compared with these images in
// tests/canvas/renderer_frames_wintest.cpp.
#include <gtest/gtest.h>

#include <string>

#include "ui/text/render/scene_golden.h"

namespace {

using render_scenes::Scene;

class TokenRendererGlyphGolden : public testing::TestWithParam<Scene> {
protected:
    render_scenes::SceneResources m_resources;
};

TEST_P(TokenRendererGlyphGolden, DrawsAsTheGoldenFiles)
{
    render_scenes::expectGoldenFrames(GetParam(), m_resources, render_scenes::glyphGoldenName(GetParam()),
                                      render_scenes::kSoftwareHalfPixelShapes);
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGlyphGolden, testing::ValuesIn(render_scenes::kScenes),
                         render_scenes::sceneName);

} // namespace
