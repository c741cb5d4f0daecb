// The Direct3D 9 peer of a window: a device on the adapter that drives the
// window's monitor, optionally an additional swap chain per window, and the
// DX9Renderer that draws on them. It copes with what Direct3D 9 throws at a
// windowed program: lost devices, devices that need a reset, windows moved to
// a monitor of another adapter. The header is neutral; the Direct3D
// interfaces cross it only as incomplete types.
#pragma once

#include <memory>

#include "window_manager/window_peer.h"

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DSwapChain9;
struct IDirect3DSurface9;
class DX9Renderer;

// Main thread only.
class DX9WindowPeer : public WindowPeer {
public:
    // Uses the process's Direct3D object, which the first peer makes and
    // nothing releases. With `useSwapChains` every frame goes through an
    // additional swap chain of the window, when one can be made.
    explicit DX9WindowPeer(bool useSwapChains);
    // Uses `direct3d` instead (held until the peer is deleted): for a
    // Direct3D object that is not the system's. Null acts as a Direct3D that
    // could not be made.
    DX9WindowPeer(bool useSwapChains, IDirect3D9* direct3d);
    // Releases the renderer's device resources, the swap chains and the
    // device.
    ~DX9WindowPeer() override;

    // Creates the device for `window`. False when there is no Direct3D or no
    // device can be made: the window manager then falls back to OpenGL.
    bool create(platform::WindowHandle window) override;
    // True from a successful create on, also while the device is missing
    // because a re-creation failed: every frame tries to make it again.
    bool isValid() override { return m_created; }
    // Fits the swap chain, or resets the device, to the window's new size;
    // moves the device to another adapter when the window's monitor now
    // belongs to one.
    void resize(platform::WindowHandle window) override;
    void move(platform::WindowHandle window) override;
    // Glyph atlases are rasterised again (font smoothing may have changed).
    void settingsChanged() override;
    // DrawResult::Frame after beginning the scene with the pixel projection;
    // DrawResult::NoFrame while there is no usable device (lost, reset or
    // re-creation failed: all retried by later frames);
    // DrawResult::NoSwapChain when the window's swap chain is missing and
    // cannot be made again.
    DrawResult beginDraw(int width, int height) override;
    // Ends the scene and presents it; a device lost on presenting is handled
    // by the next beginDraw.
    void endDraw() override;
    void makeCurrent() override {}
    Canvas* canvas() override;
    ustring name() override { return u"DirectX"; }

    // The current device, null when there is none. Owned by the peer.
    IDirect3DDevice9* device() const { return m_device; }
    // The adapter the device was made on.
    int adapter() const { return m_adapter; }
    // Whether frames go through the window's additional swap chain.
    bool swapChainsActive() const { return m_swapChainsActive; }

private:
    bool createDevice();
    void destroyDevice();
    bool resetDevice();
    // Puts the renderer's state back on the device after a reset, which set
    // every device state to its default.
    void deviceWasReset();
    bool createSwapChain();
    void releaseSwapChains();
    int adapterForWindow(platform::WindowHandle window);

    IDirect3DDevice9* m_device = nullptr;  // null when there is no device
    std::unique_ptr<DX9Renderer> m_renderer;  // always set; deleted after the device
    platform::WindowHandle m_hwnd = nullptr;
    IDirect3D9* m_direct3d = nullptr;  // null when Direct3D could not be made
    bool m_ownsDirect3D = false;       // a reference of m_direct3d is ours to release
    int m_adapter = 0;
    int m_lostFrames = 0;  // consecutive frames skipped with the device lost
    // The device's own swap chain, held while additional swap chains are in use.
    IDirect3DSwapChain9* m_implicitSwapChain = nullptr;
    IDirect3DSwapChain9* m_swapChain = nullptr;  // the window's additional swap chain
    IDirect3DSurface9* m_backBuffer = nullptr;   // m_swapChain's back buffer during a frame
    bool m_swapChainsActive = false;
    bool m_useSwapChains;
    bool m_created = false;           // create succeeded
    bool m_creationFailing = false;   // the last device creation failed (logged once)
};
