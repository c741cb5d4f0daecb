// The Direct3D 9 window peer: its device life (loss, reset, re-creation,
// adapter changes, swap chains) against a scripted Direct3D, since Xvfb
// cannot provoke any of it, and a few frames on Wine's real Direct3D.
#include "window_manager/windows/dx9_window_peer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "canvas/canvas.h"
#include "canvas/dx9canvas/dx9_renderer.h"
#include "window_manager/fake_direct3d.h"

namespace {

using d3d_test::Cooperation;
using d3d_test::FakeDirect3D;

const int kWidth = 64;
const int kHeight = 48;
const float kWhite[3] = {1, 1, 1};

class DX9WindowPeerTest : public testing::Test {
protected:
    // One window in front and one hidden serve every test: Wine takes two
    // seconds to take a shown window away again.
    static void SetUpTestSuite()
    {
        s_frontWindow = d3d_test::createWindow(kWidth, kHeight, true);
        s_hiddenWindow = d3d_test::createWindow(kWidth, kHeight, false);
    }
    static void TearDownTestSuite()
    {
        d3d_test::destroyWindow(s_frontWindow);
        d3d_test::destroyWindow(s_hiddenWindow);
        s_frontWindow = s_hiddenWindow = nullptr;
    }

    void SetUp() override { m_fake = FakeDirect3D::create(2); }
    void TearDown() override
    {
        m_peer.reset();
        // Whatever happened, the peer gave back everything it made.
        const FakeDirect3D::Counts counts = m_fake->counts();
        EXPECT_EQ(counts.liveDevices, 0);
        EXPECT_EQ(counts.liveSwapChains, 0);
        EXPECT_EQ(counts.liveSurfaces, 0);
        EXPECT_EQ(counts.direct3dReferences, 0);
    }

    // A peer on a window that is in front, or hidden and so never in front.
    void makePeer(bool swapChains, bool inFront = true)
    {
        m_window = inFront ? s_frontWindow : s_hiddenWindow;
        ASSERT_NE(m_window, nullptr);
        ASSERT_EQ(d3d_test::isInFront(m_window), inFront);
        m_peer.reset(new DX9WindowPeer(swapChains, m_fake->direct3d()));
    }
    void createPeer(bool swapChains, bool inFront = true)
    {
        makePeer(swapChains, inFront);
        ASSERT_TRUE(m_peer->create(m_window));
    }
    // One whole frame when it may be drawn; what beginDraw answered.
    WindowPeer::DrawResult frame()
    {
        const WindowPeer::DrawResult result = m_peer->beginDraw(kWidth, kHeight);
        if (result == WindowPeer::DrawResult::Frame)
            m_peer->endDraw();
        return result;
    }
    FakeDirect3D::Counts counts() { return m_fake->counts(); }

    static platform::WindowHandle s_frontWindow;
    static platform::WindowHandle s_hiddenWindow;
    std::unique_ptr<FakeDirect3D> m_fake;
    platform::WindowHandle m_window = nullptr; // one of the two
    std::unique_ptr<DX9WindowPeer> m_peer;
};

platform::WindowHandle DX9WindowPeerTest::s_frontWindow = nullptr;
platform::WindowHandle DX9WindowPeerTest::s_hiddenWindow = nullptr;

TEST_F(DX9WindowPeerTest, CreateFailsWhenNoDeviceCanBeMade)
{
    struct Case {
        const char* name;
        bool direct3d;
        int failedCreations;
        bool created;
        int softwareDevices;
    } cases[] = {
        {"hardware vertex processing", true, 0, true, 0},
        {"software when hardware is refused", true, 1, true, 1},
        {"neither", true, 2, false, 0},
        {"no Direct3D", false, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        m_window = s_frontWindow;
        m_fake->failCreateDevice(c.failedCreations);
        m_peer.reset(new DX9WindowPeer(false, c.direct3d ? m_fake->direct3d() : nullptr));
        EXPECT_EQ(m_peer->create(m_window), c.created);
        EXPECT_EQ(m_peer->isValid(), c.created);
        EXPECT_EQ(m_peer->device() != nullptr, c.created);
        EXPECT_EQ(counts().softwareDevices, c.softwareDevices);
        EXPECT_NE(m_peer->canvas(), nullptr);
        const int calls = counts().createDeviceCalls;
        EXPECT_EQ(frame(), c.created ? WindowPeer::DrawResult::Frame : WindowPeer::DrawResult::NoFrame);
        // A peer that was never created does not make devices behind the
        // window manager's back (it has fallen back to OpenGL).
        EXPECT_EQ(counts().createDeviceCalls, calls);
    }
}

TEST_F(DX9WindowPeerTest, LostDeviceIsRecreatedOnceInFrontAfterTenSkippedFrames)
{
    struct Case {
        const char* name;
        bool inFront;
        bool lostOnPresent;
        int devicesAfterEleventhFrame;
    } cases[] = {
        {"in front", true, false, 2},
        {"in front, lost on presenting", true, true, 2},
        {"in the background", false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        createPeer(false, c.inFront);
        if (c.lostOnPresent) {
            m_fake->loseDeviceOnPresent(true);
            EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
            m_fake->loseDeviceOnPresent(false);
        } else {
            m_fake->setCooperation(Cooperation::lost);
        }
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
        EXPECT_EQ(counts().devicesCreated, 1);
        EXPECT_EQ(frame(),
                  c.inFront ? WindowPeer::DrawResult::Frame : WindowPeer::DrawResult::NoFrame);
        EXPECT_EQ(counts().devicesCreated, c.devicesAfterEleventhFrame);
        EXPECT_EQ(counts().liveDevices, 1);
        // In the background the device stays lost, without busy re-creation.
        for (int i = 0; i < 20 && !c.inFront; ++i)
            EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
        EXPECT_EQ(counts().devicesCreated, c.devicesAfterEleventhFrame);
    }
}

// Regression: a re-creation that failed left the window without a device for
// good, skipping every frame.
TEST_F(DX9WindowPeerTest, FailedRecreationIsRetriedByLaterFrames)
{
    struct Case {
        const char* name;
        bool adapterChange; // else the device is lost
    } cases[] = {
        {"lost device", false},
        {"window moved to another adapter", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        createPeer(false);
        if (c.adapterChange) {
            m_fake->setWindowAdapter(1);
            m_fake->failCreateDevice(2);
            m_peer->move(m_window);
        } else {
            m_fake->setCooperation(Cooperation::lost);
            for (int i = 0; i < 10; ++i)
                EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
            m_fake->failCreateDevice(2);
            EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
        }
        EXPECT_EQ(m_peer->device(), nullptr);
        // Still a window that paints (and so can try again).
        EXPECT_TRUE(m_peer->isValid());
        m_fake->failCreateDevice(2);
        EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
        EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
        EXPECT_NE(m_peer->device(), nullptr);
        EXPECT_EQ(counts().devicesCreated, 2);
        EXPECT_EQ(counts().lastDeviceAdapter, c.adapterChange ? 1 : 0);
        EXPECT_EQ(counts().devicePresents, 1);
    }
}

// Regression: a Reset sets every device state to its default, while the
// renderer still believed its blend mode, alpha and clip were on the device;
// the first frames after it drew without blending or clipping.
TEST_F(DX9WindowPeerTest, ResetSendsTheCanvasStateAgain)
{
    struct Case {
        const char* name;
        bool byResize; // else by a frame finding the device waiting for a reset
        bool swapChains;
    } cases[] = {
        {"reset by a frame", false, false},
        {"reset by a frame, with swap chains", false, true},
        {"reset by a resize", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        createPeer(c.swapChains);
        ASSERT_EQ(m_peer->beginDraw(kWidth, kHeight), WindowPeer::DrawResult::Frame);
        Canvas* canvas = m_peer->canvas();
        canvas->setBlendMode(BlendMode::GlobalAlpha);
        canvas->setAlpha(0.5f);
        canvas->setClip(interval2(10, 0, 20, 30));
        m_peer->endDraw();

        if (c.byResize) {
            m_peer->resize(m_window);
        } else {
            m_fake->setCooperation(Cooperation::notReset);
            EXPECT_EQ(m_peer->beginDraw(kWidth, kHeight), WindowPeer::DrawResult::Frame);
            m_peer->endDraw();
        }
        EXPECT_EQ(counts().resets, 1);
        EXPECT_EQ(counts().failedResets, 0);
        EXPECT_EQ(m_fake->alphaBlendEnabled(), 1u);
        EXPECT_EQ(m_fake->clipPlanesEnabled(), 15u);
        EXPECT_EQ(m_fake->textureFactor() >> 24, 127u);
        EXPECT_EQ(canvas->getBlendMode(), BlendMode::GlobalAlpha);
    }
}

TEST_F(DX9WindowPeerTest, FailedResetIsRetriedByTheNextFrame)
{
    createPeer(false);
    m_fake->setCooperation(Cooperation::notReset);
    m_fake->failReset(1);
    EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
    EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
    EXPECT_EQ(counts().failedResets, 1);
    EXPECT_EQ(counts().resets, 1);
    EXPECT_EQ(counts().devicesCreated, 1);
}

TEST_F(DX9WindowPeerTest, FramesGoThroughTheWindowsSwapChainWhenOneCanBeMade)
{
    struct Case {
        const char* name;
        bool requested;
        bool swapChainFails;
        bool active;
    } cases[] = {
        {"requested", true, false, true},
        {"requested but refused", true, true, false},
        {"not requested", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        m_fake->failAdditionalSwapChains(c.swapChainFails);
        createPeer(c.requested);
        EXPECT_EQ(m_peer->swapChainsActive(), c.active);
        EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
        // A resize gives the window a swap chain of its new size, or resets.
        m_peer->resize(m_window);
        EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
        EXPECT_EQ(counts().swapChainPresents, c.active ? 2 : 0);
        EXPECT_EQ(counts().devicePresents, c.active ? 0 : 2);
        EXPECT_EQ(counts().swapChainsCreated, c.active ? 2 : 0);
        EXPECT_EQ(counts().resets, c.active ? 0 : 1);
        EXPECT_EQ(counts().scenes, 2);
    }
}

// After a reset whose new swap chain was refused, frames are skipped until
// one can be made again, and then go on through it.
TEST_F(DX9WindowPeerTest, MissingSwapChainIsMadeAgainByALaterFrame)
{
    createPeer(true);
    m_fake->setCooperation(Cooperation::notReset);
    m_fake->failAdditionalSwapChains(true);
    EXPECT_EQ(frame(), WindowPeer::DrawResult::NoFrame);
    EXPECT_EQ(frame(), WindowPeer::DrawResult::NoSwapChain);
    m_fake->failAdditionalSwapChains(false);
    EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
    EXPECT_TRUE(m_peer->swapChainsActive());
    EXPECT_EQ(counts().resets, 1);
    EXPECT_EQ(counts().swapChainPresents, 1);
}

TEST_F(DX9WindowPeerTest, DeviceFollowsTheWindowToAnotherAdapter)
{
    struct Case {
        const char* name;
        bool byMove; // else by a resize
        int windowAdapter;
        int devicesCreated;
    } cases[] = {
        {"moved to another adapter", true, 1, 2},
        {"moved on the same adapter", true, 0, 1},
        {"resized onto another adapter", false, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        createPeer(true);
        EXPECT_EQ(m_peer->adapter(), 0);
        m_fake->setWindowAdapter(c.windowAdapter);
        if (c.byMove)
            m_peer->move(m_window);
        else
            m_peer->resize(m_window);
        EXPECT_EQ(counts().devicesCreated, c.devicesCreated);
        EXPECT_EQ(counts().liveDevices, 1);
        EXPECT_EQ(m_peer->adapter(), c.windowAdapter);
        EXPECT_EQ(counts().lastDeviceAdapter, c.windowAdapter);
        EXPECT_EQ(frame(), WindowPeer::DrawResult::Frame);
        EXPECT_TRUE(m_peer->swapChainsActive());
    }
}

// Wine's own Direct3D 9 (over Mesa under Xvfb): frames are cleared, a rect
// is filled through the canvas, and the frame is read back before it is
// presented, also after a resize and a real reset. The rect lands on exactly
// its pixels, so the peer's projection maps window pixels as OpenGL's does.
TEST(DX9WindowPeerDevice, DrawsAndPresentsOnTheRealDevice)
{
    struct Case {
        const char* name;
        bool swapChains;
    } cases[] = {
        {"device's own swap chain", false},
        {"additional swap chain", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::WindowHandle window = d3d_test::createWindow(kWidth, kHeight, false);
        ASSERT_NE(window, nullptr);
        {
            DX9WindowPeer peer(c.swapChains);
            ASSERT_TRUE(peer.create(window));
            EXPECT_EQ(peer.name(), u"DirectX");
            EXPECT_EQ(peer.swapChainsActive(), c.swapChains);

            enum Before { nothing, resize, breakDevice };
            const struct Step {
                const char* name;
                Before before;
                uint32_t colour;
            } steps[] = {
                {"first frame", nothing, 0x3366CC},
                {"after a resize", resize, 0xCC3366},
                {"after a reset", breakDevice, 0x66CC33},
            };
            for (const Step& step : steps) {
                SCOPED_TRACE(step.name);
                if (step.before == resize)
                    peer.resize(window);
                if (step.before == breakDevice) {
                    ASSERT_TRUE(d3d_test::breakDevice(peer.device()));
                }
                ASSERT_EQ(peer.beginDraw(kWidth, kHeight), WindowPeer::DrawResult::Frame);
                ASSERT_TRUE(d3d_test::clearTarget(peer.device(), step.colour));
                Canvas* canvas = peer.canvas();
                canvas->setBlendMode(BlendMode::Opaque);
                canvas->setAlpha(1);
                canvas->setClip(unsetInterval());
                canvas->fillRect(interval2(8, 4, 24, 20), kWhite);
                static_cast<DX9Renderer*>(canvas)->submit(); // quads are held until then
                int width = 0, height = 0;
                const std::vector<uint32_t> pixels =
                    d3d_test::readRenderTarget(peer.device(), width, height);
                peer.endDraw();
                ASSERT_EQ(width, kWidth);
                ASSERT_EQ(height, kHeight);
                int wrong = 0;
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const bool inRect = x >= 8 && x < 24 && y >= 4 && y < 20;
                        wrong += pixels[size_t(y) * width + x] !=
                                 (inRect ? 0xFFFFFFu : step.colour);
                    }
                }
                EXPECT_EQ(wrong, 0);
            }
        }
        d3d_test::destroyWindow(window);
    }
}

} // namespace
