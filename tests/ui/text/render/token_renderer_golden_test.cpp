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

#include <string>

#include "ui/text/render/scene_golden.h"

namespace {

using render_scenes::Scene;

class TokenRendererGolden : public testing::TestWithParam<Scene> {
protected:
    render_scenes::SceneResources m_resources;
};

TEST_P(TokenRendererGolden, DrawsAsTheGoldenFiles)
{
    render_scenes::expectGoldenFrames(GetParam(), m_resources, std::string("render/") + GetParam().name, false);
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGolden, testing::ValuesIn(render_scenes::kScenes),
                         render_scenes::sceneName);

} // namespace
