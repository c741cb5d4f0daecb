// The scripted Direct3D of the peer tests, and the helpers for the real
// device. The fake objects implement only what the window peer and the
// renderer call; everything else answers as a device that cannot do it
// (setters succeed, queries and creations fail).
#include "window_manager/fake_direct3d.h"

#define NOMINMAX
#include <windows.h>
#include <d3d9.h>

#include <cstring>
#include <map>

#include "support/test_window.h"

namespace d3d_test {

namespace {

// Operations no test needs: setters succeed, queries and creations fail.
#define FAKE_SUCCEEDS(name, parameters) \
    HRESULT STDMETHODCALLTYPE name parameters override { return D3D_OK; }
#define FAKE_FAILS(name, parameters) \
    HRESULT STDMETHODCALLTYPE name parameters override { return D3DERR_INVALIDCALL; }
#define FAKE_ZERO(type, name, parameters) \
    type STDMETHODCALLTYPE name parameters override { return {}; }
#define FAKE_VOID(name, parameters) \
    void STDMETHODCALLTYPE name parameters override {}

class FakeDevice;

// What every fake object of one FakeDirect3D shares.
struct SharedState {
    FakeDirect3D::Counts counts;
    int failCreate = 0;
    int failReset = 0;
    bool failSwapChains = false;
    bool losePresent = false;
    int windowAdapter = 0;
    int adapterCount = 1;
    FakeDevice* currentDevice = nullptr; // the last device made, while it lives
};

// Reference counting shared by the fakes; `Base` is the COM interface.
template <class Base> class Counted : public Base {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~Counted() = default;
    ULONG m_references = 1;
};

class FakeSwapChain;

// A back buffer of a swap chain; holds its swap chain.
class FakeSurface : public Counted<IDirect3DSurface9> {
public:
    FakeSurface(SharedState* state, FakeSwapChain* swapChain);
    ~FakeSurface() override;

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    FAKE_SUCCEEDS(SetPrivateData, (REFGUID, const void*, DWORD, DWORD))
    FAKE_FAILS(GetPrivateData, (REFGUID, void*, DWORD*))
    FAKE_SUCCEEDS(FreePrivateData, (REFGUID))
    FAKE_ZERO(DWORD, SetPriority, (DWORD))
    FAKE_ZERO(DWORD, GetPriority, ())
    FAKE_VOID(PreLoad, ())
    FAKE_ZERO(D3DRESOURCETYPE, GetType, ())
    FAKE_FAILS(GetContainer, (REFIID, void**))
    FAKE_FAILS(GetDesc, (D3DSURFACE_DESC*))
    FAKE_FAILS(LockRect, (D3DLOCKED_RECT*, const RECT*, DWORD))
    FAKE_FAILS(UnlockRect, ())
    FAKE_FAILS(GetDC, (HDC*))
    FAKE_FAILS(ReleaseDC, (HDC))
private:
    SharedState* m_state;
    FakeSwapChain* m_swapChain;
};

// The device's own swap chain or an additional one; holds its device.
class FakeSwapChain : public Counted<IDirect3DSwapChain9> {
public:
    FakeSwapChain(SharedState* state, FakeDevice* device, bool additional);
    ~FakeSwapChain() override;

    HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*,
                                      DWORD) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** surface) override
    {
        if (index != 0 || !surface)
            return D3DERR_INVALIDCALL;
        *surface = new FakeSurface(m_state, this);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    FAKE_FAILS(GetFrontBufferData, (IDirect3DSurface9*))
    FAKE_FAILS(GetRasterStatus, (D3DRASTER_STATUS*))
    FAKE_FAILS(GetDisplayMode, (D3DDISPLAYMODE*))
    FAKE_FAILS(GetPresentParameters, (D3DPRESENT_PARAMETERS*))
    FakeDevice* device() { return m_device; }

private:
    SharedState* m_state;
    FakeDevice* m_device;
    bool m_additional;
};

class FakeDevice : public Counted<IDirect3DDevice9> {
public:
    FakeDevice(SharedState* state, IDirect3D9* direct3d) : m_state(state), m_direct3d(direct3d)
    {
        ++m_state->counts.liveDevices;
        m_direct3d->AddRef();
    }
    ~FakeDevice() override
    {
        --m_state->counts.liveDevices;
        if (m_state->currentDevice == this)
            m_state->currentDevice = nullptr;
        m_direct3d->Release();
    }

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override
    {
        switch (m_cooperation) {
        case Cooperation::lost:
            return D3DERR_DEVICELOST;
        case Cooperation::notReset:
            return D3DERR_DEVICENOTRESET;
        default:
            return D3D_OK;
        }
    }
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override
    {
        if (!parameters)
            return D3DERR_INVALIDCALL;
        if (m_cooperation == Cooperation::lost)
            return D3DERR_DEVICELOST;
        // Anything of the default pool still held blocks the reset.
        if (m_state->failReset > 0 || m_heldDefaultPoolObjects > 0) {
            if (m_state->failReset > 0)
                --m_state->failReset;
            ++m_state->counts.failedResets;
            m_cooperation = Cooperation::notReset;
            return D3DERR_INVALIDCALL;
        }
        ++m_state->counts.resets;
        m_renderStates.clear();
        m_renderTarget = nullptr;
        m_cooperation = Cooperation::ready;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*) override
    {
        ++m_state->counts.devicePresents;
        return presentResult();
    }
    HRESULT STDMETHODCALLTYPE GetSwapChain(UINT index, IDirect3DSwapChain9** swapChain) override
    {
        if (index != 0 || !swapChain)
            return D3DERR_INVALIDCALL;
        *swapChain = new FakeSwapChain(m_state, this, false);
        return D3D_OK;
    }
    UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                                        IDirect3DSwapChain9** swapChain) override
    {
        if (!parameters || !swapChain || m_state->failSwapChains)
            return D3DERR_INVALIDCALL;
        ++m_state->counts.swapChainsCreated;
        *swapChain = new FakeSwapChain(m_state, this, true);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override
    {
        if (index != 0 || !surface)
            return D3DERR_INVALIDCALL;
        m_renderTarget = surface; // compared only, never used
        return D3D_OK;
    }
    FAKE_FAILS(GetRenderTarget, (DWORD, IDirect3DSurface9**))
    HRESULT STDMETHODCALLTYPE BeginScene() override
    {
        ++m_state->counts.scenes;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE EndScene() override { return D3D_OK; }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        m_renderStates[state] = value;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        if (!value)
            return D3DERR_INVALIDCALL;
        *value = renderState(state);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) override
    {
        if (!matrix)
            return D3DERR_INVALIDCALL;
        m_transforms[state] = *matrix;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override
    {
        if (!matrix)
            return D3DERR_INVALIDCALL;
        auto found = m_transforms.find(state);
        if (found != m_transforms.end()) {
            *matrix = found->second;
        } else {
            std::memset(matrix, 0, sizeof(*matrix));
            matrix->_11 = matrix->_22 = matrix->_33 = matrix->_44 = 1;
        }
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** direct3d) override
    {
        if (!direct3d)
            return D3DERR_INVALIDCALL;
        m_direct3d->AddRef();
        *direct3d = m_direct3d;
        return D3D_OK;
    }
    FAKE_ZERO(UINT, GetAvailableTextureMem, ())
    FAKE_SUCCEEDS(EvictManagedResources, ())
    FAKE_FAILS(GetDeviceCaps, (D3DCAPS9*))
    FAKE_FAILS(GetDisplayMode, (UINT, D3DDISPLAYMODE*))
    FAKE_FAILS(GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS*))
    FAKE_SUCCEEDS(SetCursorProperties, (UINT, UINT, IDirect3DSurface9*))
    FAKE_VOID(SetCursorPosition, (int, int, DWORD))
    FAKE_ZERO(BOOL, ShowCursor, (BOOL))
    FAKE_FAILS(GetBackBuffer, (UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**))
    FAKE_FAILS(GetRasterStatus, (UINT, D3DRASTER_STATUS*))
    FAKE_SUCCEEDS(SetDialogBoxMode, (BOOL))
    FAKE_VOID(SetGammaRamp, (UINT, DWORD, const D3DGAMMARAMP*))
    FAKE_VOID(GetGammaRamp, (UINT, D3DGAMMARAMP*))
    FAKE_FAILS(CreateTexture, (UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**,
              HANDLE*))
    FAKE_FAILS(CreateVolumeTexture, (UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
              IDirect3DVolumeTexture9**, HANDLE*))
    FAKE_FAILS(CreateCubeTexture, (UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**,
              HANDLE*))
    FAKE_FAILS(CreateVertexBuffer, (UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*))
    FAKE_FAILS(CreateIndexBuffer, (UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**,
              HANDLE*))
    FAKE_FAILS(CreateRenderTarget, (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
              IDirect3DSurface9**, HANDLE*))
    FAKE_FAILS(CreateDepthStencilSurface, (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
              IDirect3DSurface9**, HANDLE*))
    FAKE_SUCCEEDS(UpdateSurface, (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
              const POINT*))
    FAKE_SUCCEEDS(UpdateTexture, (IDirect3DBaseTexture9*, IDirect3DBaseTexture9*))
    FAKE_FAILS(GetRenderTargetData, (IDirect3DSurface9*, IDirect3DSurface9*))
    FAKE_FAILS(GetFrontBufferData, (UINT, IDirect3DSurface9*))
    FAKE_SUCCEEDS(StretchRect, (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
              D3DTEXTUREFILTERTYPE))
    FAKE_SUCCEEDS(ColorFill, (IDirect3DSurface9*, const RECT*, D3DCOLOR))
    FAKE_FAILS(CreateOffscreenPlainSurface, (UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
              HANDLE*))
    FAKE_SUCCEEDS(SetDepthStencilSurface, (IDirect3DSurface9*))
    FAKE_FAILS(GetDepthStencilSurface, (IDirect3DSurface9**))
    FAKE_SUCCEEDS(Clear, (DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD))
    FAKE_SUCCEEDS(MultiplyTransform, (D3DTRANSFORMSTATETYPE, const D3DMATRIX*))
    FAKE_SUCCEEDS(SetViewport, (const D3DVIEWPORT9*))
    FAKE_FAILS(GetViewport, (D3DVIEWPORT9*))
    FAKE_SUCCEEDS(SetMaterial, (const D3DMATERIAL9*))
    FAKE_FAILS(GetMaterial, (D3DMATERIAL9*))
    FAKE_SUCCEEDS(SetLight, (DWORD, const D3DLIGHT9*))
    FAKE_FAILS(GetLight, (DWORD, D3DLIGHT9*))
    FAKE_SUCCEEDS(LightEnable, (DWORD, BOOL))
    FAKE_FAILS(GetLightEnable, (DWORD, BOOL*))
    FAKE_SUCCEEDS(SetClipPlane, (DWORD, const float*))
    FAKE_FAILS(GetClipPlane, (DWORD, float*))
    FAKE_FAILS(CreateStateBlock, (D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**))
    FAKE_SUCCEEDS(BeginStateBlock, ())
    FAKE_SUCCEEDS(EndStateBlock, (IDirect3DStateBlock9**))
    FAKE_SUCCEEDS(SetClipStatus, (const D3DCLIPSTATUS9*))
    FAKE_FAILS(GetClipStatus, (D3DCLIPSTATUS9*))
    FAKE_FAILS(GetTexture, (DWORD, IDirect3DBaseTexture9**))
    FAKE_SUCCEEDS(SetTexture, (DWORD, IDirect3DBaseTexture9*))
    FAKE_FAILS(GetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*))
    FAKE_SUCCEEDS(SetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, DWORD))
    FAKE_FAILS(GetSamplerState, (DWORD, D3DSAMPLERSTATETYPE, DWORD*))
    FAKE_SUCCEEDS(SetSamplerState, (DWORD, D3DSAMPLERSTATETYPE, DWORD))
    FAKE_SUCCEEDS(ValidateDevice, (DWORD*))
    FAKE_SUCCEEDS(SetPaletteEntries, (UINT, const PALETTEENTRY*))
    FAKE_FAILS(GetPaletteEntries, (UINT, PALETTEENTRY*))
    FAKE_SUCCEEDS(SetCurrentTexturePalette, (UINT))
    FAKE_FAILS(GetCurrentTexturePalette, (UINT*))
    FAKE_SUCCEEDS(SetScissorRect, (const RECT*))
    FAKE_FAILS(GetScissorRect, (RECT*))
    FAKE_SUCCEEDS(SetSoftwareVertexProcessing, (BOOL))
    FAKE_ZERO(BOOL, GetSoftwareVertexProcessing, ())
    FAKE_SUCCEEDS(SetNPatchMode, (float))
    FAKE_ZERO(float, GetNPatchMode, ())
    FAKE_SUCCEEDS(DrawPrimitive, (D3DPRIMITIVETYPE, UINT, UINT))
    FAKE_SUCCEEDS(DrawIndexedPrimitive, (D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT))
    FAKE_SUCCEEDS(DrawPrimitiveUP, (D3DPRIMITIVETYPE, UINT, const void*, UINT))
    FAKE_SUCCEEDS(DrawIndexedPrimitiveUP, (D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*,
              D3DFORMAT, const void*, UINT))
    FAKE_SUCCEEDS(ProcessVertices, (UINT, UINT, UINT, IDirect3DVertexBuffer9*,
              IDirect3DVertexDeclaration9*, DWORD))
    FAKE_FAILS(CreateVertexDeclaration, (const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**))
    FAKE_SUCCEEDS(SetVertexDeclaration, (IDirect3DVertexDeclaration9*))
    FAKE_FAILS(GetVertexDeclaration, (IDirect3DVertexDeclaration9**))
    FAKE_SUCCEEDS(SetFVF, (DWORD))
    FAKE_FAILS(GetFVF, (DWORD*))
    FAKE_FAILS(CreateVertexShader, (const DWORD*, IDirect3DVertexShader9**))
    FAKE_SUCCEEDS(SetVertexShader, (IDirect3DVertexShader9*))
    FAKE_FAILS(GetVertexShader, (IDirect3DVertexShader9**))
    FAKE_SUCCEEDS(SetVertexShaderConstantF, (UINT, const float*, UINT))
    FAKE_FAILS(GetVertexShaderConstantF, (UINT, float*, UINT))
    FAKE_SUCCEEDS(SetVertexShaderConstantI, (UINT, const int*, UINT))
    FAKE_FAILS(GetVertexShaderConstantI, (UINT, int*, UINT))
    FAKE_SUCCEEDS(SetVertexShaderConstantB, (UINT, const BOOL*, UINT))
    FAKE_FAILS(GetVertexShaderConstantB, (UINT, BOOL*, UINT))
    FAKE_SUCCEEDS(SetStreamSource, (UINT, IDirect3DVertexBuffer9*, UINT, UINT))
    FAKE_FAILS(GetStreamSource, (UINT, IDirect3DVertexBuffer9**, UINT*, UINT*))
    FAKE_SUCCEEDS(SetStreamSourceFreq, (UINT, UINT))
    FAKE_FAILS(GetStreamSourceFreq, (UINT, UINT*))
    FAKE_SUCCEEDS(SetIndices, (IDirect3DIndexBuffer9*))
    FAKE_FAILS(GetIndices, (IDirect3DIndexBuffer9**))
    FAKE_FAILS(CreatePixelShader, (const DWORD*, IDirect3DPixelShader9**))
    FAKE_SUCCEEDS(SetPixelShader, (IDirect3DPixelShader9*))
    FAKE_FAILS(GetPixelShader, (IDirect3DPixelShader9**))
    FAKE_SUCCEEDS(SetPixelShaderConstantF, (UINT, const float*, UINT))
    FAKE_FAILS(GetPixelShaderConstantF, (UINT, float*, UINT))
    FAKE_SUCCEEDS(SetPixelShaderConstantI, (UINT, const int*, UINT))
    FAKE_FAILS(GetPixelShaderConstantI, (UINT, int*, UINT))
    FAKE_SUCCEEDS(SetPixelShaderConstantB, (UINT, const BOOL*, UINT))
    FAKE_FAILS(GetPixelShaderConstantB, (UINT, BOOL*, UINT))
    FAKE_SUCCEEDS(DrawRectPatch, (UINT, const float*, const D3DRECTPATCH_INFO*))
    FAKE_SUCCEEDS(DrawTriPatch, (UINT, const float*, const D3DTRIPATCH_INFO*))
    FAKE_SUCCEEDS(DeletePatch, (UINT))
    FAKE_FAILS(CreateQuery, (D3DQUERYTYPE, IDirect3DQuery9**))
    DWORD renderState(D3DRENDERSTATETYPE state)
    {
        auto found = m_renderStates.find(state);
        return found == m_renderStates.end() ? 0 : found->second;
    }
    void setCooperation(Cooperation cooperation) { m_cooperation = cooperation; }
    HRESULT presentResult()
    {
        if (!m_state->losePresent)
            return D3D_OK;
        m_cooperation = Cooperation::lost;
        return D3DERR_DEVICELOST;
    }
    // Additional swap chains and back buffers, which a Reset must not meet.
    int m_heldDefaultPoolObjects = 0;

private:
    SharedState* m_state;
    IDirect3D9* m_direct3d;
    Cooperation m_cooperation = Cooperation::ready;
    std::map<D3DRENDERSTATETYPE, DWORD> m_renderStates;
    std::map<D3DTRANSFORMSTATETYPE, D3DMATRIX> m_transforms;
    IDirect3DSurface9* m_renderTarget = nullptr;
};

FakeSurface::FakeSurface(SharedState* state, FakeSwapChain* swapChain)
    : m_state(state), m_swapChain(swapChain)
{
    ++m_state->counts.liveSurfaces;
    ++m_swapChain->device()->m_heldDefaultPoolObjects;
    m_swapChain->AddRef();
}

FakeSurface::~FakeSurface()
{
    --m_state->counts.liveSurfaces;
    --m_swapChain->device()->m_heldDefaultPoolObjects;
    m_swapChain->Release();
}

HRESULT STDMETHODCALLTYPE FakeSurface::GetDevice(IDirect3DDevice9** device)
{
    return m_swapChain->GetDevice(device);
}

FakeSwapChain::FakeSwapChain(SharedState* state, FakeDevice* device, bool additional)
    : m_state(state), m_device(device), m_additional(additional)
{
    ++m_state->counts.liveSwapChains;
    if (m_additional)
        ++m_device->m_heldDefaultPoolObjects;
    m_device->AddRef();
}

FakeSwapChain::~FakeSwapChain()
{
    --m_state->counts.liveSwapChains;
    if (m_additional)
        --m_device->m_heldDefaultPoolObjects;
    m_device->Release();
}

HRESULT STDMETHODCALLTYPE FakeSwapChain::Present(const RECT*, const RECT*, HWND, const RGNDATA*,
                                                 DWORD)
{
    ++m_state->counts.swapChainPresents;
    return m_device->presentResult();
}

HRESULT STDMETHODCALLTYPE FakeSwapChain::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

// The window's monitor for the adapter the script puts it on, made-up
// monitors for the others.
HMONITOR windowMonitor()
{
    const POINT origin = {0, 0};
    return MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
}

class FakeDirect3DObject : public Counted<IDirect3D9> {
public:
    explicit FakeDirect3DObject(SharedState* state) : m_state(state) {}

    UINT STDMETHODCALLTYPE GetAdapterCount() override { return UINT(m_state->adapterCount); }
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override
    {
        if (int(adapter) >= m_state->adapterCount)
            return nullptr;
        if (int(adapter) == m_state->windowAdapter)
            return windowMonitor();
        return reinterpret_cast<HMONITOR>(uintptr_t(0x7E570000 + adapter));
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS9* caps) override
    {
        if (!caps || int(adapter) >= m_state->adapterCount)
            return D3DERR_INVALIDCALL;
        std::memset(caps, 0, sizeof(*caps));
        // Every adapter a group of its own, as with two graphics cards.
        caps->AdapterOrdinal = adapter;
        caps->MasterAdapterOrdinal = adapter;
        caps->NumberOfAdaptersInGroup = 1;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE, HWND, DWORD flags,
                                           D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DDevice9** device) override
    {
        ++m_state->counts.createDeviceCalls;
        if (!device || !parameters)
            return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (int(adapter) >= m_state->adapterCount)
            return D3DERR_INVALIDCALL;
        if (m_state->failCreate > 0) {
            --m_state->failCreate;
            return D3DERR_NOTAVAILABLE;
        }
        FakeDevice* made = new FakeDevice(m_state, this);
        ++m_state->counts.devicesCreated;
        if (flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING)
            ++m_state->counts.softwareDevices;
        m_state->counts.lastDeviceAdapter = int(adapter);
        m_state->currentDevice = made;
        *device = made;
        return D3D_OK;
    }
    FAKE_FAILS(RegisterSoftwareDevice, (void*))
    FAKE_FAILS(GetAdapterIdentifier, (UINT, DWORD, D3DADAPTER_IDENTIFIER9*))
    FAKE_ZERO(UINT, GetAdapterModeCount, (UINT, D3DFORMAT))
    FAKE_FAILS(EnumAdapterModes, (UINT, D3DFORMAT, UINT, D3DDISPLAYMODE*))
    FAKE_FAILS(GetAdapterDisplayMode, (UINT, D3DDISPLAYMODE*))
    FAKE_FAILS(CheckDeviceType, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL))
    FAKE_FAILS(CheckDeviceFormat, (UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT))
    FAKE_FAILS(CheckDeviceMultiSampleType, (UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
              DWORD*))
    FAKE_FAILS(CheckDepthStencilMatch, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT))
    FAKE_FAILS(CheckDeviceFormatConversion, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT))
    ULONG references() const { return m_references; }

private:
    SharedState* m_state;
};

class FakeDirect3DImpl : public FakeDirect3D {
public:
    explicit FakeDirect3DImpl(int adapterCount) : m_object(new FakeDirect3DObject(&m_state))
    {
        m_state.adapterCount = adapterCount;
    }
    ~FakeDirect3DImpl() override { m_object->Release(); }

    IDirect3D9* direct3d() override { return m_object; }
    void failCreateDevice(int count) override { m_state.failCreate = count; }
    void setCooperation(Cooperation cooperation) override
    {
        if (m_state.currentDevice)
            m_state.currentDevice->setCooperation(cooperation);
    }
    void failReset(int count) override { m_state.failReset = count; }
    void failAdditionalSwapChains(bool fail) override { m_state.failSwapChains = fail; }
    void loseDeviceOnPresent(bool lose) override { m_state.losePresent = lose; }
    void setWindowAdapter(int adapter) override { m_state.windowAdapter = adapter; }
    Counts counts() override
    {
        Counts counts = m_state.counts;
        counts.direct3dReferences = int(m_object->references()) - 1;
        return counts;
    }
    uint32_t alphaBlendEnabled() override { return renderState(D3DRS_ALPHABLENDENABLE); }
    uint32_t clipPlanesEnabled() override { return renderState(D3DRS_CLIPPLANEENABLE); }
    uint32_t textureFactor() override { return renderState(D3DRS_TEXTUREFACTOR); }

private:
    uint32_t renderState(D3DRENDERSTATETYPE state)
    {
        return m_state.currentDevice ? m_state.currentDevice->renderState(state) : 0;
    }

    SharedState m_state;
    FakeDirect3DObject* m_object;
};

const char16_t kWindowClassName[] = u"VantrelD3DTestWindow";

} // namespace

std::unique_ptr<FakeDirect3D> FakeDirect3D::create(int adapterCount)
{
    return std::unique_ptr<FakeDirect3D>(new FakeDirect3DImpl(adapterCount));
}

platform::WindowHandle createWindow(int width, int height, bool shown)
{
    return test_support::createPopupWindow(kWindowClassName, false, width, height, shown);
}

void destroyWindow(platform::WindowHandle window)
{
    test_support::destroyPopupWindow(window);
}

bool isInFront(platform::WindowHandle window)
{
    return GetForegroundWindow() == static_cast<HWND>(window);
}

bool clearTarget(IDirect3DDevice9* device, uint32_t colour)
{
    return SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | colour, 1.0f, 0));
}

std::vector<uint32_t> readRenderTarget(IDirect3DDevice9* device, int& width, int& height)
{
    std::vector<uint32_t> pixels;
    width = height = 0;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(device->GetRenderTarget(0, &target)) || !target)
        return pixels;
    D3DSURFACE_DESC description;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(target->GetDesc(&description)) &&
        (description.Format == D3DFMT_X8R8G8B8 || description.Format == D3DFMT_A8R8G8B8) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                      description.Format, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(target, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            width = int(description.Width);
            height = int(description.Height);
            pixels.resize(size_t(width) * height);
            for (int y = 0; y < height; ++y) {
                const uint32_t* row = reinterpret_cast<const uint32_t*>(
                    static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch);
                for (int x = 0; x < width; ++x)
                    pixels[size_t(y) * width + x] = row[x] & 0xFFFFFF;
            }
            copy->UnlockRect();
        }
    }
    if (copy)
        copy->Release();
    target->Release();
    return pixels;
}

bool breakDevice(IDirect3DDevice9* device)
{
    // A surface of the default pool held across the Reset makes it fail,
    // which leaves the device waiting for a good one.
    IDirect3DSurface9* blocker = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(16, 16, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                   &blocker, nullptr)))
        return false;
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof(parameters));
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    device->Reset(&parameters);
    blocker->Release();
    return device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET;
}

} // namespace d3d_test
