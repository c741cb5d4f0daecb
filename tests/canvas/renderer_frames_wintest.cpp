// The same frame on every graphics interface. The token renderer's fixture
// scenes (tests/ui/text/render/render_scenes.h) are drawn through each
// interface's window peer into a real window (Wine's WGL and Direct3D 9 over
// Mesa under Xvfb), read back before the frame is presented (glReadPixels;
// GetRenderTargetData into a system-memory surface), and compared with the
// software canvas's golden image of the scene with the real glyphs, and with
// each other, within a small per-pixel tolerance. A frame that differs fails
// with a copy of the frame and a map of the differing pixels (red) in the
// test's temporary folder.
//
// No difference is allowed today. Two were mended to get there: the
// software canvas drew lines half a pixel along their direction from where
// OpenGL draws them, and a line exactly along pixel edges (a caret, a ruler,
// a bracket underline) fell on different sides of the edge on the two
// interfaces; every canvas now nudges lines off the edges alike
// (kLineNudgeLeft, kLineNudgeDown in canvas/canvas.h).
//
// The shapes of selections and carets take the half-unit offset each canvas
// asks for (Canvas::halfPixelShapes), in the scenes as through a real text
// view, whose selection and caret must land on the software canvas's pixels.
//
// Another interface slots in as one more row of kRenderers: how to make its
// peer and how to read back its frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <tuple>

#include "canvas/canvas.h"
#include "canvas/dx9_peer_readback.h"
#include "canvas/gl_test_window.h"
#include "canvas/software_canvas.h"
#include "ui/text/render/render_scenes.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_support.h"
#include "window_manager/window_peer.h"
#include "window_manager/windows/dx9_window_peer.h"
#include "window_manager/windows/gl_window_peer.h"

namespace {

using render_scenes::Scene;
using render_scenes::SceneFrame;
using render_scenes::kHeight;
using render_scenes::kWidth;

// One graphics interface as the comparison drives it.
struct Renderer {
    const char* name;
    std::function<std::unique_ptr<WindowPeer>()> createPeer;
    // The frame drawn so far, before it is presented, as words 0x00RRGGBB,
    // rows top first.
    std::function<std::vector<uint32_t>(WindowPeer& peer, int width, int height)> readBack;
};

void PrintTo(const Renderer& renderer, std::ostream* out)
{
    *out << renderer.name;
}

const Renderer kRenderers[] = {
    {"OpenGL", [] { return std::unique_ptr<WindowPeer>(new GLWindowPeer); },
     [](WindowPeer&, int width, int height) { return gl_test::readBackBuffer(width, height); }},
    {"Direct3D9", [] { return std::unique_ptr<WindowPeer>(new DX9WindowPeer(true)); },
     dx9_test::readBackBuffer},
    // Frames through the device's own swap chain, as without the window
    // manager's swap-chain flag.
    {"Direct3D9_DeviceSwapChain", [] { return std::unique_ptr<WindowPeer>(new DX9WindowPeer(false)); },
     dx9_test::readBackBuffer},
};

// A channel may differ by one step: Direct3D's texture factor carries the
// fill colour truncated to bytes (0.9 becomes 229, where OpenGL and the
// software canvas give 230), and OpenGL rounds a half-alpha blend a step
// lower than the software canvas.
constexpr int kTolerance = 1;

int channelDistance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return most;
}

// A frame painted by `paint` through one interface into a window of its
// own.
golden::Image drawThrough(const Renderer& renderer, const std::function<void(Canvas&)>& paint)
{
    golden::Image image;
    platform::WindowHandle window = gl_test::createWindow(kWidth, kHeight);
    if (!window) {
        ADD_FAILURE() << "no window";
        return image;
    }
    {
        std::unique_ptr<WindowPeer> peer = renderer.createPeer();
        if (!peer->create(window)) {
            ADD_FAILURE() << renderer.name << ": the peer cannot draw in the window";
        } else if (peer->beginDraw(kWidth, kHeight) != WindowPeer::DrawResult::Frame) {
            ADD_FAILURE() << renderer.name << ": no frame";
        } else {
            paint(*peer->canvas());
            image = {kWidth, kHeight, renderer.readBack(*peer, kWidth, kHeight)};
            peer->endDraw();
        }
    }
    gl_test::destroyWindow(window);
    return image;
}

// A frame of one scene, with the shapes the canvas asks for.
golden::Image drawThrough(const Renderer& renderer, const Scene& scene,
                          render_scenes::SceneResources& resources)
{
    return drawThrough(renderer, [&](Canvas& canvas) {
        canvas.setClip(unsetInterval());
        canvas.fillRect(interval2(0, 0, kWidth, kHeight), resources.background());
        SceneFrame frame(canvas, scene, resources);
        frame.draw(canvas.halfPixelShapes());
    });
}

// Fails when `actual` differs from `expected` beyond the tolerance, writing
// `actual` and a map of the differing pixels (red) beside the test's other
// temporary files, named after `what`.
void expectWithinTolerance(const golden::Image& actual, const golden::Image& expected,
                           const std::string& what)
{
    ASSERT_EQ(actual.pixels.size(), size_t(kWidth) * kHeight) << what;
    ASSERT_EQ(expected.pixels.size(), size_t(kWidth) * kHeight) << what;
    golden::Image differences{kWidth, kHeight, std::vector<uint32_t>(actual.pixels.size())};
    int count = 0;
    std::ostringstream first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t a = actual.at(x, y), e = expected.at(x, y);
            const bool differs = channelDistance(a, e) > kTolerance;
            differences.pixels[size_t(y) * kWidth + x] =
                differs ? 0xFF0000u : (0x808080u + ((e & 0xFEFEFEu) >> 1)) & 0xFFFFFFu;
            if (differs && count++ < 8)
                first << " (" << x << "," << y << ") " << std::hex << (a & 0xFFFFFFu) << " not "
                      << (e & 0xFFFFFFu) << std::dec;
        }
    }
    if (count) {
        golden::writeFile(golden::failedImagePath(what + ".png"), golden::encodePng(actual));
        golden::writeFile(golden::failedImagePath(what + "-diff.png"), golden::encodePng(differences));
        ADD_FAILURE() << what << ": " << count << " pixels differ:" << first.str()
                      << "; the frame and a map of the differences are in "
                      << golden::failedImagePath(what + ".png") << " and -diff.png";
    }
}

class RendererMatchesSoftware : public testing::TestWithParam<std::tuple<Renderer, Scene>> {
protected:
    render_scenes::SceneResources m_resources;
};

TEST_P(RendererMatchesSoftware, WithinTolerance)
{
    const Renderer& renderer = std::get<0>(GetParam());
    const Scene& scene = std::get<1>(GetParam());
    golden::Image expected;
    ASSERT_TRUE(golden::readPng(render_scenes::glyphGoldenName(scene) + ".png", expected));
    expectWithinTolerance(drawThrough(renderer, scene, m_resources), expected,
                          std::string(renderer.name) + "-" + scene.name);
}

std::string comparisonName(const testing::TestParamInfo<std::tuple<Renderer, Scene>>& info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Frames, RendererMatchesSoftware,
                         testing::Combine(testing::ValuesIn(kRenderers),
                                          testing::ValuesIn(render_scenes::kScenes)),
                         comparisonName);

class RenderersMatchEachOther : public testing::TestWithParam<Scene> {
protected:
    render_scenes::SceneResources m_resources;
};

// Every interface against the first, OpenGL.
TEST_P(RenderersMatchEachOther, WithinTolerance)
{
    const Scene& scene = GetParam();
    const golden::Image first = drawThrough(kRenderers[0], scene, m_resources);
    for (size_t i = 1; i < std::size(kRenderers); ++i)
        expectWithinTolerance(drawThrough(kRenderers[i], scene, m_resources), first,
                              std::string(kRenderers[i].name) + "-against-" + kRenderers[0].name +
                                  "-" + scene.name);
}

INSTANTIATE_TEST_SUITE_P(Frames, RenderersMatchEachOther, testing::ValuesIn(render_scenes::kScenes),
                         render_scenes::sceneName);

// A selection across three lines (bevelled and flared corners, filled and
// outlined) and a caret, drawn by a text view of the canvas with the shapes
// the canvas asks for.
void paintTextView(Canvas& canvas)
{
    canvas.setClip(unsetInterval());
    canvas.fillRect(interval2(0, 0, kWidth, kHeight), Colour{0.9f, 0.9f, 0.8f});
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(u"a selection that\nruns on across\nthree lines; caret");
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setViewportSize(kWidth, kHeight);
    view->setLayoutWidth(kWidth);
    view->mutableSel() = view_test::setOf({SelectionRegion(6, 40), SelectionRegion(47)});
    ViewFrame frame;
    frame.active = true;
    frame.halfPixelShapes = canvas.halfPixelShapes();
    view->draw(&canvas, frame);
}

class TextViewMatchesSoftware : public testing::TestWithParam<Renderer> {};

TEST_P(TextViewMatchesSoftware, SelectionAndCaretLandOnTheSamePixels)
{
    SoftwareCanvas software(kWidth, kHeight);
    paintTextView(software);
    const golden::Image expected{kWidth, kHeight, software.pixels()};
    expectWithinTolerance(drawThrough(GetParam(), paintTextView), expected,
                          std::string(GetParam().name) + "-text-view");
}

INSTANTIATE_TEST_SUITE_P(Frames, TextViewMatchesSoftware, testing::ValuesIn(kRenderers),
                         [](const testing::TestParamInfo<Renderer>& info) { return std::string(info.param.name); });

} // namespace
