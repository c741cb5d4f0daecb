// One fuzz target per file: `VANTREL_FUZZ_TARGET(name) { ... }` defines the
// function that takes one input. In the fuzz build (clang, libFuzzer) it
// becomes the program's LLVMFuzzerTestOneInput; in the test program it is
// registered under `name`, and a test replays the target's corpus
// (fuzz/corpus/<name>/) through it on every run.
//
// A fuzz program starts with log lines to the debugger (standard error here)
// turned off: the parsers log every refused input, and a run of minutes wrote
// hundreds of megabytes that nobody reads. Listeners are still served. The
// test program leaves the switch alone, so its log checks see what they did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/log.h"
#include "ui/ustring.h"

using FuzzEntry = int (*)(const uint8_t* data, size_t size);

#ifdef VANTREL_FUZZ_BUILD
#define VANTREL_FUZZ_TARGET(name)                                                        \
    static int fuzz_##name(const uint8_t* data, size_t size);                            \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                   \
    {                                                                                    \
        g_debugOutputEnabled = false;                                                    \
        return 0;                                                                        \
    }                                                                                    \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)              \
    {                                                                                    \
        return fuzz_##name(data, size);                                                  \
    }                                                                                    \
    static int fuzz_##name(const uint8_t* data, size_t size)
#else
// Defined by the corpus replay test.
bool registerFuzzTarget(const char* name, FuzzEntry entry);
#define VANTREL_FUZZ_TARGET(name)                                                        \
    static int fuzz_##name(const uint8_t* data, size_t size);                            \
    [[maybe_unused]] static const bool s_registered_##name = registerFuzzTarget(#name, fuzz_##name); \
    static int fuzz_##name(const uint8_t* data, size_t size)
#endif

// The input as UTF-16 units, two bytes each, little-endian (an odd last byte
// is dropped): for targets whose input is program text.
inline ustring fuzzUnits(const uint8_t* data, size_t size)
{
    ustring text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<uchar>(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

inline std::string fuzzBytes(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
