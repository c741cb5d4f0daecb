// The default theme drawn by both real renderers: every image the scene
// uses comes out upright and in its own colours on OpenGL and on
// Direct3D 9, as on the software canvas of the native golden test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/package_files.h"
#include "canvas/renderer_harness.h"
#include "canvas/renderers_under_test.h"
#include "packages/theme_scene.h"
#include "ui/options.h"
#include "ui/parse_strings.h"
#include "ui/theme.h"
#include "ui/unicode.h"

namespace {

// Glibc reads the repository's Unix paths in a Winelib program.
std::string readPackageFile(const ustring& virtualPath)
{
    const std::string relative = toUtf8(virtualPath.substr(std::char_traits<char16_t>::length(u"Packages/")));
    std::ifstream in(std::filesystem::path(VANTREL_PACKAGES_DIR) / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int channelDistance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return most;
}

class ThemeOnRenderer : public testing::TestWithParam<RendererUnderTest> {};

TEST_P(ThemeOnRenderer, ImagesComeOutUprightInTheirOwnColours)
{
    // The theme file and its images, in memory under the same virtual paths.
    testing_canvas::PackageFiles files;
    const ustring themePath = u"Packages/Theme - Default/Default.vantrel-theme";
    const std::string themeText = readPackageFile(themePath);
    ASSERT_FALSE(themeText.empty());
    slate::SP<Options> options(new Options);
    options->parse(utf8ToUtf16(themeText.data(), themeText.data() + themeText.size()));
    for (const ustring& key : options->keys()) {
        std::vector<ustring> words;
        parseStrings(slate::usubstring(*options->find(key)), words);
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i].rfind(u"Packages/", 0) != 0)
                continue;
            const std::string bytes = readPackageFile(words[i]);
            files.add(words[i].substr(std::char_traits<char16_t>::length(u"Packages/")),
                      std::vector<unsigned char>(bytes.begin(), bytes.end()));
        }
    }

    std::unique_ptr<RendererHarness> harness = GetParam().create(theme_scene::kWidth, theme_scene::kHeight);
    ASSERT_TRUE(harness->ok());
    Canvas* canvas = harness->canvas();
    std::vector<uint32_t> pixels;
    {
        Theme theme(canvas, options);
        ASSERT_TRUE(harness->beginFrame());
        canvas->setBlendMode(BlendMode::Opaque);
        canvas->setAlpha(1);
        canvas->setClip(unsetInterval());
        canvas->fillRect(interval2(0, 0, theme_scene::kWidth, theme_scene::kHeight), theme_scene::kWindow);
        theme_scene::draw(theme);
        pixels = harness->readPixels();
        harness->endFrame();
    }
    ASSERT_EQ(pixels.size(), size_t(theme_scene::kWidth) * theme_scene::kHeight);
    for (const theme_scene::Probe& probe : theme_scene::kProbes) {
        const uint32_t actual = pixels[size_t(probe.y) * theme_scene::kWidth + probe.x] & 0xFFFFFFu;
        EXPECT_LE(channelDistance(actual, probe.rgb), 2)
            << probe.what << ": " << std::hex << actual << " not " << probe.rgb;
    }
}

INSTANTIATE_TEST_SUITE_P(Renderers, ThemeOnRenderer, testing::ValuesIn(kRenderersUnderTest));

} // namespace
