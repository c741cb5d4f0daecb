// Compiled as C-style COM so that the device's method table can be copied
// and a few entries replaced by counting ones.
#define CINTERFACE
#define COBJMACROS
#include "canvas/dx9_test_device.h"

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <d3d9.h>

#include <cstring>

#include "canvas/dx9canvas/dx9_renderer.h"
#include "canvas/gl_test_window.h"
#include "window_manager/window_peer.h"

namespace dx9_test {

namespace {

IDirect3D9* direct3D()
{
    // One per process, never released, as the window peers hold it.
    static IDirect3D9* object = Direct3DCreate9(D3D_SDK_VERSION);
    return object;
}

D3DPRESENT_PARAMETERS presentParameters(HWND window)
{
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof(parameters));
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

IDirect3DDevice9* createDevice(HWND window)
{
    IDirect3D9* d3d = direct3D();
    if (!d3d)
        return nullptr;
    for (DWORD processing : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}) {
        D3DPRESENT_PARAMETERS parameters = presentParameters(window);
        IDirect3DDevice9* device = nullptr;
        if (SUCCEEDED(IDirect3D9_CreateDevice(d3d, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                              processing | D3DCREATE_FPU_PRESERVE, &parameters,
                                              &device)))
            return device;
    }
    return nullptr;
}

// The counting method table: the device's own with the state calls counted.
DeviceCalls* g_calls = nullptr;
IDirect3DDevice9Vtbl g_countingTable;
const IDirect3DDevice9Vtbl* g_realTable = nullptr;

HRESULT WINAPI countSetRenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state, DWORD value)
{
    ++g_calls->renderStates;
    return g_realTable->SetRenderState(device, state, value);
}

HRESULT WINAPI countSetTextureStageState(IDirect3DDevice9* device, DWORD stage,
                                         D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    ++g_calls->stageStates;
    return g_realTable->SetTextureStageState(device, stage, type, value);
}

HRESULT WINAPI countSetSamplerState(IDirect3DDevice9* device, DWORD sampler,
                                    D3DSAMPLERSTATETYPE type, DWORD value)
{
    ++g_calls->samplerStates;
    return g_realTable->SetSamplerState(device, sampler, type, value);
}

HRESULT WINAPI countSetTexture(IDirect3DDevice9* device, DWORD stage, IDirect3DBaseTexture9* texture)
{
    ++g_calls->textures;
    return g_realTable->SetTexture(device, stage, texture);
}

HRESULT WINAPI countSetClipPlane(IDirect3DDevice9* device, DWORD index, const float* plane)
{
    ++g_calls->clipPlanes;
    return g_realTable->SetClipPlane(device, index, plane);
}

HRESULT WINAPI countSetTransform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE state,
                                 const D3DMATRIX* matrix)
{
    ++g_calls->transforms;
    return g_realTable->SetTransform(device, state, matrix);
}

HRESULT WINAPI countDrawPrimitive(IDirect3DDevice9* device, D3DPRIMITIVETYPE type, UINT start,
                                  UINT count)
{
    ++g_calls->draws;
    return g_realTable->DrawPrimitive(device, type, start, count);
}

HRESULT WINAPI countDrawPrimitiveUP(IDirect3DDevice9* device, D3DPRIMITIVETYPE type, UINT count,
                                    const void* vertices, UINT stride)
{
    ++g_calls->draws;
    return g_realTable->DrawPrimitiveUP(device, type, count, vertices, stride);
}

HRESULT WINAPI countDrawIndexedPrimitiveUP(IDirect3DDevice9* device, D3DPRIMITIVETYPE type,
                                           UINT minIndex, UINT vertexCount, UINT count,
                                           const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride)
{
    ++g_calls->draws;
    return g_realTable->DrawIndexedPrimitiveUP(device, type, minIndex, vertexCount, count, indices,
                                               indexFormat, vertices, stride);
}

class Harness : public DX9Harness {
public:
    Harness(int width, int height) : m_width(width), m_height(height)
    {
        m_window = static_cast<HWND>(gl_test::createWindow(width, height));
        if (m_window)
            m_device = createDevice(m_window);
        m_renderer.reset(new DX9Renderer(m_device));
    }
    ~Harness() override
    {
        countCalls(nullptr);
        m_renderer.reset();
        if (m_device)
            IDirect3DDevice9_Release(m_device);
        if (m_window)
            gl_test::destroyWindow(m_window);
    }

    bool ok() const override { return m_device != nullptr; }
    Canvas* canvas() override { return m_renderer.get(); }
    DX9Renderer& renderer() override { return *m_renderer; }

    bool beginFrame() override
    {
        if (!m_device)
            return false;
        if (FAILED(IDirect3DDevice9_BeginScene(m_device)))
            return false;
        float projection[16];
        framePixelProjection(m_width, m_height, projection);
        IDirect3DDevice9_SetTransform(m_device, D3DTS_PROJECTION,
                                      reinterpret_cast<const D3DMATRIX*>(projection));
        IDirect3DDevice9_SetRenderState(m_device, D3DRS_AMBIENT, 0xFFFFFF);
        IDirect3DDevice9_SetRenderState(m_device, D3DRS_LIGHTING, FALSE);
        IDirect3DDevice9_SetRenderState(m_device, D3DRS_CULLMODE, D3DCULL_NONE);
        IDirect3DDevice9_SetRenderState(m_device, D3DRS_ZENABLE, FALSE);
        m_renderer->beginFrame();
        return true;
    }

    void clearToBlack() override
    {
        m_renderer->submit();
        IDirect3DDevice9_Clear(m_device, 0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1, 0);
    }

    void endFrame() override
    {
        m_renderer->submit();
        IDirect3DDevice9_EndScene(m_device);
        IDirect3DDevice9_Present(m_device, nullptr, nullptr, nullptr, nullptr);
        m_renderer->endFrame();
    }

    std::vector<uint32_t> readPixels() override
    {
        std::vector<uint32_t> pixels(size_t(m_width) * m_height, 0xDEADBEEF);
        m_renderer->submit();
        IDirect3DSurface9* target = nullptr;
        if (FAILED(IDirect3DDevice9_GetRenderTarget(m_device, 0, &target)))
            return pixels;
        D3DSURFACE_DESC desc;
        IDirect3DSurface9_GetDesc(target, &desc);
        IDirect3DSurface9* copy = nullptr;
        if (SUCCEEDED(IDirect3DDevice9_CreateOffscreenPlainSurface(
                m_device, desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr))) {
            D3DLOCKED_RECT locked;
            if (SUCCEEDED(IDirect3DDevice9_GetRenderTargetData(m_device, target, copy)) &&
                SUCCEEDED(IDirect3DSurface9_LockRect(copy, &locked, nullptr, D3DLOCK_READONLY))) {
                const int width = std::min(m_width, int(desc.Width));
                const int height = std::min(m_height, int(desc.Height));
                for (int y = 0; y < height; ++y) {
                    const uint32_t* row = reinterpret_cast<const uint32_t*>(
                        static_cast<const unsigned char*>(locked.pBits) + size_t(y) * locked.Pitch);
                    for (int x = 0; x < width; ++x)
                        pixels[size_t(y) * m_width + x] = row[x] & 0xFFFFFF;
                }
                IDirect3DSurface9_UnlockRect(copy);
            }
            IDirect3DSurface9_Release(copy);
        }
        IDirect3DSurface9_Release(target);
        return pixels;
    }

    bool resetDevice(bool tellRenderer) override
    {
        if (!m_device)
            return false;
        m_renderer->deviceLost();
        D3DPRESENT_PARAMETERS parameters = presentParameters(m_window);
        if (FAILED(IDirect3DDevice9_Reset(m_device, &parameters)))
            return false;
        if (tellRenderer)
            m_renderer->deviceReset();
        return true;
    }

    bool recreateDevice() override
    {
        DeviceCalls* calls = g_calls;
        countCalls(nullptr);
        m_renderer->setDevice(nullptr);
        if (m_device)
            IDirect3DDevice9_Release(m_device);
        m_device = createDevice(m_window);
        m_renderer->setDevice(m_device);
        countCalls(calls);
        return m_device != nullptr;
    }

    void countCalls(DeviceCalls* calls) override
    {
        if (!m_device)
            return;
        if (calls && !g_calls) {
            g_realTable = m_device->lpVtbl;
            g_countingTable = *g_realTable;
            g_countingTable.SetRenderState = countSetRenderState;
            g_countingTable.SetTextureStageState = countSetTextureStageState;
            g_countingTable.SetSamplerState = countSetSamplerState;
            g_countingTable.SetTexture = countSetTexture;
            g_countingTable.SetClipPlane = countSetClipPlane;
            g_countingTable.SetTransform = countSetTransform;
            g_countingTable.DrawPrimitive = countDrawPrimitive;
            g_countingTable.DrawPrimitiveUP = countDrawPrimitiveUP;
            g_countingTable.DrawIndexedPrimitiveUP = countDrawIndexedPrimitiveUP;
            m_device->lpVtbl = &g_countingTable;
        } else if (!calls && g_calls) {
            m_device->lpVtbl = const_cast<IDirect3DDevice9Vtbl*>(g_realTable);
        }
        g_calls = calls;
    }

private:
    int m_width, m_height;
    HWND m_window = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::unique_ptr<DX9Renderer> m_renderer;
};

} // namespace

std::unique_ptr<DX9Harness> createHarness(int width, int height)
{
    return std::unique_ptr<DX9Harness>(new Harness(width, height));
}

} // namespace dx9_test
