// The editor window's whole frame on both real renderers: a window of two
// groups with two tabs of C each, the shipped theme, toolbar and status bar,
// drawn by OpenGL and by Direct3D 9 and read back before it is presented.
// The two frames must match each other within a step or two per channel,
// and each must show the frame's strips where the window's layout puts
// them. A failing frame is written to the temporary folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/golden_drawing.h"
#include "texteditor/editor_window_rig.h"
#include "texteditor/window_layout.h"
#include "ui/theme.h"

namespace editor_window_test {
namespace {

using text_window_test::RendererCase;

constexpr int kWidth = 1024;
constexpr int kHeight = 720;
// The theme's panel face and the dark line under the toolbar.
constexpr uint32_t kPanelFace = 0xD6D9DE;
constexpr uint32_t kBevelShadow = 0x9AA1AB;
// The interfaces round colours and filter glyph edges a little differently.
constexpr int kTolerance = 2;
// The minimaps' text, glyphs a few pixels high scaled down from the atlas,
// samples differently on the two interfaces: a few dozen single pixels in
// the first lines' strokes. Anything more is a real difference.
constexpr int kMinimapGlyphPixels = 100;

int channelDistance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return most;
}

uint32_t word(const float colour[3])
{
    auto channel = [](float value) { return uint32_t(std::lround(value * 255)); };
    return channel(colour[0]) << 16 | channel(colour[1]) << 8 | channel(colour[2]);
}

// A point of the frame and the colour it must have.
struct Probe {
    std::string what;
    int x;
    int y;
    uint32_t rgb;
};

struct Frame {
    golden::Image image;
    std::vector<Probe> probes;
};

std::string keep(const std::string& name, const golden::Image& image)
{
    const std::string path = golden::failedImagePath("window-frame-" + name + ".png");
    golden::writeFile(path, golden::encodePng(image));
    return path;
}

// Draws the window on `renderer` and reads its frame back, with the probe
// points its layout gives.
Frame drawWindow(const RendererCase& renderer)
{
    Frame frame;
    EditorWindowRig rig(renderer, {kWidth, kHeight, 4, true});
    if (!rig.ready()) {
        ADD_FAILURE() << "the window could not be made on " << renderer.name << " or its files were not read";
        return frame;
    }
    // The first frames lay the texts out and settle the tab strips.
    for (int i = 0; i < 3; ++i) {
        rig.paint();
        EditorWindowRig::runUntil([] { return false; }, 30);
    }
    rig.probe().capture = true;
    rig.paint();
    rig.probe().capture = false;
    window_test::FrameProbe& probe = rig.probe();
    frame.image = {probe.width, probe.height, probe.pixels};
    if (probe.pixels.empty()) {
        ADD_FAILURE() << "no frame was read back on " << renderer.name;
        return frame;
    }

    TextEditorWindow& window = rig.window();
    FrameRequest request;
    request.window = interval2(0, 0, float(probe.width), float(probe.height));
    request.showToolbar = true;
    request.toolbarHeight = window.theme()->toolbarHeight;
    request.showStatusbar = true;
    request.statusbarHeight = window.theme()->statusbarHeight;
    const FrameLayout layout = layoutFrame(request);
    const std::vector<interval2> groups = groupRects(layout.groupArea, window.m_rowSplits, window.m_colSplits);
    if (!layout.hasToolbar || !layout.hasStatusbar || groups.size() != 2) {
        ADD_FAILURE() << "the layout has no room for its strips";
        return frame;
    }
    auto at = [](float value) { return int(std::floor(value)); };
    frame.probes = {
        {"toolbar face", at(layout.toolbar.x1 - 20), at((layout.toolbar.y0 + layout.toolbar.y1) / 2), kPanelFace},
        {"toolbar's bottom line", at(layout.toolbar.x1 - 20), at(layout.toolbar.y1 - 1), kBevelShadow},
        {"status bar", at((layout.statusbar.x0 + layout.statusbar.x1) / 2),
         at((layout.statusbar.y0 + layout.statusbar.y1) / 2), kPanelFace},
    };
    for (int group = 0; group < 2; ++group) {
        const interval2& rect = groups[size_t(group)];
        const std::string name = group == 0 ? "first group's " : "second group's ";
        // Right of the two tabs, in the band the tabs stand on.
        frame.probes.push_back({name + "tab strip", at(rect.x1 - 30), at(rect.y0 + 18),
                                kPanelFace});
        // Below the ten lines of text, between the gutter and the minimap.
        const slate::SP<TextBufferView> view = window.viewSet().activeViewInGroup(group);
        frame.probes.push_back({name + "text area", at(rect.x0 + (rect.x1 - rect.x0) * 0.4f), at(rect.y1 - 60),
                                word(view->settings().backgroundColour)});
    }
    return frame;
}

TEST(EditorWindowFrame, BothRenderersDrawTheSameFrameWithItsStripsInPlace)
{
    std::vector<Frame> frames;
    for (const RendererCase& renderer : text_window_test::kRendererCases) {
        SCOPED_TRACE(renderer.name);
        frames.push_back(drawWindow(renderer));
        const Frame& frame = frames.back();
        if (frame.image.pixels.empty())
            return;
        bool failed = false;
        for (const Probe& probe : frame.probes) {
            const uint32_t actual = frame.image.pixels[size_t(probe.y) * frame.image.width + probe.x] & 0xFFFFFFu;
            if (channelDistance(actual, probe.rgb) > kTolerance) {
                ADD_FAILURE() << probe.what << " at " << probe.x << "," << probe.y << ": " << std::hex << actual
                              << " not " << probe.rgb;
                failed = true;
            }
        }
        if (failed)
            ADD_FAILURE() << "the frame is in " << keep(renderer.name, frame.image);
    }

    const golden::Image& opengl = frames[0].image;
    const golden::Image& direct3d = frames[1].image;
    ASSERT_EQ(opengl.width, direct3d.width);
    ASSERT_EQ(opengl.height, direct3d.height);
    int count = 0;
    std::ostringstream first;
    for (size_t i = 0; i < opengl.pixels.size(); ++i) {
        if (channelDistance(opengl.pixels[i], direct3d.pixels[i]) > kTolerance && count++ < 8)
            first << " " << i % size_t(opengl.width) << "," << i / size_t(opengl.width) << " " << std::hex
                  << (opengl.pixels[i] & 0xFFFFFFu) << "/" << (direct3d.pixels[i] & 0xFFFFFFu) << std::dec;
    }
    EXPECT_LE(count, kMinimapGlyphPixels) << "pixels differ between OpenGL and Direct3D 9:" << first.str() << "; the frames are in "
                        << keep("OpenGL", opengl) << " and " << keep("Direct3D9", direct3d);
}

} // namespace
} // namespace editor_window_test
