#include "ui/platform.h"

#include <atomic>

#include "ui/unicode.h"

namespace platform {

// Each build links exactly one definition: the Win32 one into the program and
// its Wine tests, the portable one into native tests and tools.
Platform& defaultPlatform();

namespace {
std::atomic<Platform*> s_installed{nullptr};
}

std::string Platform::unixPath(const ustring& path) { return toUtf8(path); }

Platform& get()
{
    Platform* installed = s_installed.load(std::memory_order_acquire);
    return installed ? *installed : defaultPlatform();
}

Platform* install(Platform* replacement)
{
    Platform* previous = s_installed.exchange(replacement, std::memory_order_acq_rel);
    return previous ? previous : &defaultPlatform();
}

} // namespace platform
