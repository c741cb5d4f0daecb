// The renderers this build can put behind a window.
#include "window_manager/windows/dx9_window_peer.h"
#include "window_manager/windows/gl_window_peer.h"
#include "window_manager/windows/win32_window_manager.h"

WindowPeer* makeWindowPeer(RendererKind kind, bool useSwapChains)
{
    switch (kind) {
    case RendererKind::OpenGL:
        return new GLWindowPeer;
    case RendererKind::Direct3D9:
        return new DX9WindowPeer(useSwapChains);
    }
    return nullptr;
}
