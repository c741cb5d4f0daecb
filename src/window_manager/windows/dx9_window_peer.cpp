// The Direct3D 9 side of a window. A windowed Direct3D 9 device can be lost
// at any time (another program takes the screen, the display mode changes)
// and then needs a Reset, which forgets every device state; the peer notices
// both through TestCooperativeLevel at the start of each frame and tells the
// renderer, which keeps the canvas state itself and sends it again. A device
// that stays lost is re-created once the window is in front again, and a
// device that could not be made is tried again by every later frame, so a
// window never stops drawing for good because of one failure.
//
// With swap chains, each window presents through an additional swap chain of
// its own, which follows the window's size without resetting the device.
#include "window_manager/windows/dx9_window_peer.h"

#define NOMINMAX
#include <windows.h>
#include <d3d9.h>

#include <cstring>

#include "canvas/dx9canvas/dx9_renderer.h"
#include "ui/log.h"

namespace {

// Frames skipped with the device lost before the peer re-creates it itself.
const int kLostFramesBeforeRecreation = 10;
// How long a reset waits first, to let whatever took the device settle.
const DWORD kResetDelayMs = 100;

// The one Direct3D object of the process; never released.
IDirect3D9* processDirect3D()
{
    static IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    return direct3d;
}

// Windowed, size and format from the window, discarded after present, one
// present per refresh.
D3DPRESENT_PARAMETERS presentParameters(platform::WindowHandle window)
{
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof(parameters));
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = static_cast<HWND>(window);
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    return parameters;
}

template <class Interface> void release(Interface*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

DX9WindowPeer::DX9WindowPeer(bool useSwapChains)
    : m_renderer(new DX9Renderer), m_direct3d(processDirect3D()), m_useSwapChains(useSwapChains)
{
}

DX9WindowPeer::DX9WindowPeer(bool useSwapChains, IDirect3D9* direct3d)
    : m_renderer(new DX9Renderer), m_direct3d(direct3d), m_ownsDirect3D(direct3d != nullptr),
      m_useSwapChains(useSwapChains)
{
    if (m_direct3d)
        m_direct3d->AddRef();
}

DX9WindowPeer::~DX9WindowPeer()
{
    if (m_device)
        destroyDevice();
    m_renderer.reset();
    if (m_ownsDirect3D)
        m_direct3d->Release();
}

bool DX9WindowPeer::create(platform::WindowHandle window)
{
    if (m_device)
        destroyDevice();
    m_hwnd = window;
    m_created = createDevice();
    return m_created;
}

Canvas* DX9WindowPeer::canvas()
{
    return m_renderer.get();
}

int DX9WindowPeer::adapterForWindow(platform::WindowHandle window)
{
    HMONITOR monitor = MonitorFromWindow(static_cast<HWND>(window), MONITOR_DEFAULTTOPRIMARY);
    // Every adapter of the system, not only those of adapter 0's group: a
    // second graphics card is a group of its own.
    const UINT count = m_direct3d->GetAdapterCount();
    for (UINT adapter = 0; adapter < count; ++adapter) {
        if (m_direct3d->GetAdapterMonitor(adapter) == monitor)
            return int(adapter);
    }
    VLOG << u"getAdapterFromWindow: Couldn't find adapter for monitor, default to 0";
    return 0;
}

bool DX9WindowPeer::createDevice()
{
    VASSERT(m_device == NULL);
    if (!m_direct3d) {
        VLOG << u"Could not create Direct3D 9 Object.";
        return false;
    }
    m_adapter = adapterForWindow(m_hwnd);
    if (!m_creationFailing) {
        VLOG << u"Creating device on adapter " << m_adapter << u". Using swap chains? "
             << (m_useSwapChains ? 1 : 0);
    }

    HWND hwnd = static_cast<HWND>(m_hwnd);
    IDirect3DDevice9* device = nullptr;
    // CreateDevice may write the sizes it chose into the parameters.
    D3DPRESENT_PARAMETERS parameters = presentParameters(m_hwnd);
    HRESULT result = m_direct3d->CreateDevice(
        UINT(m_adapter), D3DDEVTYPE_HAL, hwnd,
        D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &parameters, &device);
    if (FAILED(result) || !device) {
        device = nullptr;
        parameters = presentParameters(m_hwnd);
        result = m_direct3d->CreateDevice(
            UINT(m_adapter), D3DDEVTYPE_HAL, hwnd,
            D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &parameters, &device);
    }
    if (FAILED(result) || !device) {
        // A failure repeated frame after frame is logged once.
        if (!m_creationFailing)
            VLOG << u"Unable to create D3D device";
        m_creationFailing = true;
        return false;
    }
    m_creationFailing = false;
    m_device = device;

    m_swapChainsActive = false;
    if (m_useSwapChains) {
        if (SUCCEEDED(m_device->GetSwapChain(0, &m_implicitSwapChain)) && m_implicitSwapChain) {
            if (createSwapChain()) {
                m_swapChainsActive = true;
            } else {
                VLOG << u"Unable to create swap chain";
                release(m_implicitSwapChain);
            }
        } else {
            m_implicitSwapChain = nullptr;
        }
    }

    m_renderer->setDevice(m_device);
    m_lostFrames = 0;
    return true;
}

bool DX9WindowPeer::createSwapChain()
{
    D3DPRESENT_PARAMETERS parameters = presentParameters(m_hwnd);
    IDirect3DSwapChain9* swapChain = nullptr;
    if (FAILED(m_device->CreateAdditionalSwapChain(&parameters, &swapChain)) || !swapChain)
        return false;
    release(m_swapChain);
    m_swapChain = swapChain;
    return true;
}

void DX9WindowPeer::releaseSwapChains()
{
    release(m_backBuffer);
    release(m_swapChain);
    release(m_implicitSwapChain);
}

void DX9WindowPeer::destroyDevice()
{
    VLOG << u"DX9WindowPeer: Destroying device";
    m_renderer->setDevice(nullptr);
    releaseSwapChains();
    release(m_device);
}

bool DX9WindowPeer::resetDevice()
{
    Sleep(kResetDelayMs);
    // Reset refuses while anything of the default pool (swap chains and
    // their surfaces) is still held.
    releaseSwapChains();
    m_renderer->deviceLost();
    D3DPRESENT_PARAMETERS parameters = presentParameters(m_hwnd);
    if (FAILED(m_device->Reset(&parameters))) {
        VLOG << u"resetDevice: Unable to reset device";
        return false;
    }
    deviceWasReset();
    if (m_swapChainsActive && !createSwapChain()) {
        VLOG << u"resetDevice: Unable to create swap chain!";
        return false;
    }
    return true;
}

void DX9WindowPeer::deviceWasReset()
{
    m_lostFrames = 0;
    m_renderer->deviceReset();
}

void DX9WindowPeer::resize(platform::WindowHandle window)
{
    // Without a device there is nothing to fit; the next frame makes one.
    if (!m_device)
        return;
    release(m_backBuffer);
    release(m_swapChain);
    if (adapterForWindow(window) != m_adapter) {
        VLOG << u"resize: Recreating device on different adapter";
        destroyDevice();
        createDevice(); // on failure the next frame tries again
        return;
    }
    const HRESULT level = m_device->TestCooperativeLevel();
    if (level == D3DERR_DEVICENOTRESET) {
        resetDevice();
    } else if (level == D3DERR_DEVICELOST) {
        // Nothing can be done until the device may be reset.
    } else {
        D3DPRESENT_PARAMETERS parameters = presentParameters(window);
        if (m_swapChainsActive) {
            // On failure the next frame tries again.
            IDirect3DSwapChain9* swapChain = nullptr;
            if (SUCCEEDED(m_device->CreateAdditionalSwapChain(&parameters, &swapChain)))
                m_swapChain = swapChain;
        } else {
            m_renderer->deviceLost();
            // A failed reset leaves the device waiting for one, which the
            // next frame sees and retries.
            if (SUCCEEDED(m_device->Reset(&parameters)))
                deviceWasReset();
        }
    }
}

void DX9WindowPeer::move(platform::WindowHandle window)
{
    if (!m_device)
        return;
    if (adapterForWindow(window) != m_adapter) {
        VLOG << u"move: Recreating device on different adapter";
        destroyDevice();
        createDevice(); // on failure the next frame tries again
    }
}

void DX9WindowPeer::settingsChanged()
{
    m_renderer->clearFontGlyphs();
}

WindowPeer::DrawResult DX9WindowPeer::beginDraw(int width, int height)
{
    if (!m_device) {
        if (!m_created) {
            VLOG << u"No device, can't beginDraw";
            return DrawResult::NoFrame;
        }
        // The last re-creation failed: try again.
        if (!createDevice())
            return DrawResult::NoFrame;
    }

    const HRESULT level = m_device->TestCooperativeLevel();
    if (level == D3DERR_DEVICENOTRESET) {
        if (!resetDevice())
            return DrawResult::NoFrame;
    } else if (level == D3DERR_DEVICELOST) {
        ++m_lostFrames;
        if (m_lostFrames <= kLostFramesBeforeRecreation)
            return DrawResult::NoFrame;
        // In the background the device may rightly stay lost (another
        // program has the screen); only a window in front takes it back.
        if (GetForegroundWindow() != static_cast<HWND>(m_hwnd))
            return DrawResult::NoFrame;
        VLOG << u"The Direct3D 9 device stayed lost for " << kLostFramesBeforeRecreation
             << u" frames; recreating it";
        m_lostFrames = 0;
        destroyDevice();
        if (!createDevice())
            return DrawResult::NoFrame;
    }

    if (m_swapChainsActive) {
        release(m_backBuffer);
        // Lost with a failed reset or resize: made again here.
        if (!m_swapChain && !createSwapChain())
            return DrawResult::NoSwapChain;
        if (FAILED(m_swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &m_backBuffer)) ||
            !m_backBuffer) {
            m_backBuffer = nullptr;
            return DrawResult::NoSwapChain;
        }
        m_device->SetRenderTarget(0, m_backBuffer);
    }

    if (FAILED(m_device->BeginScene()))
        VLOG << u"Direct3D 9 could not begin the scene";

    // The column-order projection is, as memory, the row-major transposed
    // matrix that Direct3D's row vectors want.
    float projection[16];
    framePixelProjection(width, height, projection);
    D3DMATRIX matrix;
    std::memcpy(&matrix, projection, sizeof(matrix));
    m_device->SetTransform(D3DTS_PROJECTION, &matrix);
    m_device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFF);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
    // As on OpenGL, every frame starts untransformed.
    m_renderer->setTransform(Matrix4::identity());
    m_renderer->beginFrame();
    return DrawResult::Frame;
}

void DX9WindowPeer::endDraw()
{
    if (!m_device)
        return;
    m_renderer->submit();
    if (FAILED(m_device->EndScene()))
        VLOG << u"DX9WindowPeer: end isn't ok";
    HRESULT result = D3D_OK;
    if (m_swapChainsActive) {
        if (m_swapChain)
            result = m_swapChain->Present(nullptr, nullptr, static_cast<HWND>(m_hwnd), nullptr, 0);
        release(m_backBuffer);
    } else {
        result = m_device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    m_renderer->endFrame();
    if (result == D3DERR_DEVICELOST)
        VLOG << u"Present returned device lost";
}
