// Win32 services for the Wine tests of the Direct3D 9 window peer, behind a
// neutral interface: a scripted stand-in for Direct3D (what Xvfb cannot
// provoke: lost devices, failed resets and creations, a second adapter), and
// a few helpers for the real device.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/platform.h"

struct IDirect3D9;
struct IDirect3DDevice9;

namespace d3d_test {

// What the fake device answers to TestCooperativeLevel.
enum class Cooperation { ready, lost, notReset };

// A Direct3D object whose devices, swap chains and surfaces are counted
// objects of the test. As the real one, a device refuses to Reset while an
// additional swap chain or a back-buffer surface of it is still held, and
// forgets every render state on a Reset. Main thread only.
class FakeDirect3D {
public:
    // `adapterCount` adapters; the window's monitor belongs to adapter 0.
    static std::unique_ptr<FakeDirect3D> create(int adapterCount);
    // Every object made by the fake must have been released by now.
    virtual ~FakeDirect3D() = default;

    // The COM object, with one reference held by this fake.
    virtual IDirect3D9* direct3d() = 0;

    // Script. Each takes effect from the next call it concerns.
    // The next `count` CreateDevice calls fail.
    virtual void failCreateDevice(int count) = 0;
    // The current device's answer to TestCooperativeLevel; a new device
    // starts ready, and a successful Reset makes it ready.
    virtual void setCooperation(Cooperation cooperation) = 0;
    // The next `count` Reset calls fail (and leave the device needing a reset).
    virtual void failReset(int count) = 0;
    // Whether CreateAdditionalSwapChain fails.
    virtual void failAdditionalSwapChains(bool fail) = 0;
    // Whether presenting (device or swap chain) answers D3DERR_DEVICELOST.
    virtual void loseDeviceOnPresent(bool lose) = 0;
    // Moves the window's monitor to another adapter.
    virtual void setWindowAdapter(int adapter) = 0;

    // What happened.
    struct Counts {
        int createDeviceCalls = 0;
        int devicesCreated = 0;
        int softwareDevices = 0;      // created with software vertex processing
        int lastDeviceAdapter = -1;   // adapter of the last device created
        int resets = 0;               // successful
        int failedResets = 0;
        int swapChainsCreated = 0;
        int devicePresents = 0;
        int swapChainPresents = 0;
        int scenes = 0;               // BeginScene calls
        int liveDevices = 0;
        int liveSwapChains = 0;       // the devices' own and additional ones
        int liveSurfaces = 0;
        int direct3dReferences = 0;   // held on the Direct3D object besides the fake's
    };
    virtual Counts counts() = 0;

    // The current device's render states the tests look at (0 when never set
    // since the device was made or reset).
    virtual uint32_t alphaBlendEnabled() = 0;
    virtual uint32_t clipPlanesEnabled() = 0;
    virtual uint32_t textureFactor() = 0;
};

// A top-level window with a client area of width x height pixels, or null.
// A shown window is brought to the front; a hidden one is never in front.
// Under Xvfb, hiding or destroying a shown window takes Wine two seconds.
platform::WindowHandle createWindow(int width, int height, bool shown);
void destroyWindow(platform::WindowHandle window);
// Whether `window` is the foreground window.
bool isInFront(platform::WindowHandle window);

// Clears the real device's current render target to 0x00RRGGBB.
bool clearTarget(IDirect3DDevice9* device, uint32_t colour);
// The real device's current render target (read before it is presented) as
// words 0x00RRGGBB, rows top first; empty when it cannot be read.
std::vector<uint32_t> readRenderTarget(IDirect3DDevice9* device, int& width, int& height);
// Makes the real device need a reset, as a display change would: a Reset
// that fails. True when the device now needs one.
bool breakDevice(IDirect3DDevice9* device);

} // namespace d3d_test
