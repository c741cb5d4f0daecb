// Reading back what the Direct3D 9 window peer drew, for the Wine tests and
// benchmarks, behind a neutral interface.
#pragma once

#include <cstdint>
#include <vector>

class WindowPeer;

namespace dx9_test {

// The peer's current render target (read before the frame is presented:
// the back buffer the frame draws on), copied into a system-memory surface
// with GetRenderTargetData, as words 0x00RRGGBB, rows top first, cut to
// width x height. Empty when the peer is not a Direct3D 9 peer with a device
// or the copy fails.
std::vector<uint32_t> readBackBuffer(WindowPeer& peer, int width, int height);

// Waits until the device has carried out every call made so far (an event
// query), for timing frames. Does nothing without a device.
void finish(WindowPeer& peer);

} // namespace dx9_test
