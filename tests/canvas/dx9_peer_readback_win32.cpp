#include "canvas/dx9_peer_readback.h"

#define NOMINMAX
#include <windows.h>
#include <d3d9.h>

#include <algorithm>

#include "canvas/dx9canvas/dx9_renderer.h"
#include "window_manager/windows/dx9_window_peer.h"

namespace dx9_test {

namespace {

// Releases a COM pointer on every path out.
template <typename T>
struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p)
            p->Release();
    }
};

// The peer's device with every quad its renderer held back drawn; null for
// another peer or without a device.
IDirect3DDevice9* submittedDevice(WindowPeer& peer)
{
    DX9WindowPeer* dx9 = dynamic_cast<DX9WindowPeer*>(&peer);
    if (!dx9 || !dx9->device())
        return nullptr;
    if (DX9Renderer* renderer = dynamic_cast<DX9Renderer*>(dx9->canvas()))
        renderer->submit();
    return dx9->device();
}

} // namespace

std::vector<uint32_t> readBackBuffer(WindowPeer& peer, int width, int height)
{
    std::vector<uint32_t> pixels;
    IDirect3DDevice9* device = submittedDevice(peer);
    if (!device)
        return pixels;
    Held<IDirect3DSurface9> target, copy;
    if (FAILED(device->GetRenderTarget(0, &target.p)))
        return pixels;
    D3DSURFACE_DESC desc;
    if (FAILED(target.p->GetDesc(&desc)) ||
        (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8))
        return pixels;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy.p, nullptr)) ||
        FAILED(device->GetRenderTargetData(target.p, copy.p)))
        return pixels;
    D3DLOCKED_RECT locked;
    if (FAILED(copy.p->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return pixels;
    const int w = std::min(width, int(desc.Width)), h = std::min(height, int(desc.Height));
    pixels.assign(size_t(width) * height, 0u);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                               size_t(y) * locked.Pitch);
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * width + x] = row[x] & 0xFFFFFFu;
    }
    copy.p->UnlockRect();
    return pixels;
}

void finish(WindowPeer& peer)
{
    IDirect3DDevice9* device = submittedDevice(peer);
    Held<IDirect3DQuery9> query;
    if (!device || FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query.p)))
        return;
    query.p->Issue(D3DISSUE_END);
    while (query.p->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE) {
    }
}

} // namespace dx9_test
