// Whole frames of the token renderer, compared with golden drawings in
// tests/data/render/: the recording canvas's call lines (NAME.txt) and the
// software canvas's pixels (NAME.png). Each scene lexes a C file with the C
// grammar, colours it with a colour scheme from the test data, checks its
// spelling with the test dictionary, and draws the gutter and the text of a
// band with selections, carets and bookmarks.
//
// A changed drawing fails with the call lines that differ. To accept new
// drawings, run the tests with VANTREL_UPDATE_GOLDEN=1, which rewrites the
// files, and review the change to them.
#include "ui/text/render/token_renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "canvas/png_writer.h"
#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/util/png_image.h"
#include "ui/text/render/golden_scenes.h"

namespace {

using golden_scenes::dataPath;
using golden_scenes::kHeight;
using golden_scenes::kScenes;
using golden_scenes::kWidth;
using golden_scenes::readFile;
using golden_scenes::Scene;
using golden_scenes::SceneFrame;
using golden_scenes::SceneResources;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

bool updatingGoldens()
{
    const char* value = std::getenv("VANTREL_UPDATE_GOLDEN");
    return value && std::string(value) == "1";
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The lines only in `expected` ("- ") and only in `actual` ("+ "), by a
// longest common subsequence, with their line numbers.
std::string lineDiff(const std::vector<std::string>& expected, const std::vector<std::string>& actual)
{
    const size_t n = expected.size(), m = actual.size();
    std::vector<std::vector<uint32_t>> common(n + 1, std::vector<uint32_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
    std::string out;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            out += "+ " + std::to_string(j + 1) + ": " + actual[j] + "\n";
            ++j;
        } else {
            out += "- " + std::to_string(i + 1) + ": " + expected[i] + "\n";
            ++i;
        }
    }
    return out;
}

void compareText(const std::string& name, const std::string& actual)
{
    const std::string path = dataPath("render/" + name + ".txt");
    if (updatingGoldens()) {
        writeFile(path, actual);
        return;
    }
    const std::string expected = readFile(path);
    if (expected != actual)
        ADD_FAILURE() << "the drawing of " << name << " changed (- golden, + now):\n"
                      << lineDiff(splitLines(expected), splitLines(actual));
}

std::string encodePixels(const SoftwareCanvas& canvas)
{
    std::vector<unsigned char> samples;
    samples.reserve(canvas.pixels().size() * 4);
    for (uint32_t argb : canvas.pixels())
        samples.insert(samples.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb),
                                       uint8_t(argb >> 24)});
    const std::vector<unsigned char> png =
        testing_png::encode(canvas.width(), canvas.height(), PNG_COLOR_TYPE_RGBA, 8, samples);
    return std::string(png.begin(), png.end());
}

void comparePixels(const std::string& name, const SoftwareCanvas& canvas)
{
    const std::string path = dataPath("render/" + name + ".png");
    if (updatingGoldens()) {
        writeFile(path, encodePixels(canvas));
        return;
    }
    const std::string golden = readFile(path);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(decodePng(golden.data(), golden.size(), width, height, pixels)) << path;
    ASSERT_EQ(width, canvas.width());
    ASSERT_EQ(height, canvas.height());
    size_t differing = 0, first = pixels.size();
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != canvas.pixels()[i]) {
            ++differing;
            first = std::min(first, i);
        }
    }
    if (differing) {
        const std::string actualPath = testing::TempDir() + name + ".png";
        writeFile(actualPath, encodePixels(canvas));
        ADD_FAILURE() << name << ": " << differing << " pixels differ, the first at ("
                      << first % width << ", " << first / width << "); the new drawing is in "
                      << actualPath;
    }
}

class TokenRendererGolden : public testing::TestWithParam<Scene> {
protected:
    void SetUp() override { m_resources.reset(new SceneResources); }
    void TearDown() override { m_resources.reset(); }

    std::unique_ptr<SceneResources> m_resources;
};

TEST_P(TokenRendererGolden, DrawsAsTheGoldenFiles)
{
    const Scene& scene = GetParam();
    {
        RecordingCanvas canvas;
        SceneFrame frame(canvas, scene, m_resources->syntax(), m_resources->styler.get(),
                         m_resources->checker.get(), m_resources->themeOptions);
        canvas.clearLines();
        frame.draw();
        compareText(scene.name, canvas.text());
    }
    {
        SoftwareCanvas canvas(kWidth, kHeight);
        SceneFrame frame(canvas, scene, m_resources->syntax(), m_resources->styler.get(),
                         m_resources->checker.get(), m_resources->themeOptions);
        canvas.clear(m_resources->styler->colours().background);
        frame.draw();
        comparePixels(scene.name, canvas);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGolden, testing::ValuesIn(kScenes),
                         [](const testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

} // namespace
