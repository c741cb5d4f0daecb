// Hashing shared by the whole program: MurmurHash2 for every table keyed by
// wide text, and MD5 for the few names that must be identical between runs
// and processes (the single-instance mutex).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/ustring.h"

// MurmurHash2, 32-bit variant (m = 0x5bd1e995, r = 24), reading 4-byte blocks
// little-endian whatever the machine. Pure; any thread. `data` may be null
// when `lengthInBytes` is 0.
uint32_t murmurHash2(const void* data, size_t lengthInBytes, uint32_t seed);

// The seed of every table keyed by wide text.
constexpr uint32_t kWideTextHashSeed = 7;

// The hash of wide text used by every table keyed by it: murmurHash2 with
// seed 7 over the UTF-16 bytes (2 per unit).
inline uint32_t hashWideText(const uchar* begin, const uchar* end)
{
    return murmurHash2(begin, static_cast<size_t>(end - begin) * sizeof(uchar), kWideTextHashSeed);
}

// Writes the MD5 digest (RFC 1321) of the bytes as 32 lower-case hexadecimal
// digits and a NUL. Each digest byte is written low four bits first (0x1f
// becomes "f1"): names already derived from it depend on that order. Pure;
// any thread.
void md5HexDigest(char output[33], const void* data, size_t lengthInBytes);

// Hash and equality functors for std::unordered_map / unordered_set keyed by
// `ustring` or by `slate::usubstring` (a view: the viewed text must outlive
// the entry). Both key kinds of the same text hash alike.
struct UstringHash {
    size_t operator()(const ustring& text) const
    {
        return hashWideText(text.data(), text.data() + text.size());
    }
    size_t operator()(const slate::usubstring& text) const { return hashWideText(text.begin, text.end); }
};

struct UstringEqual {
    bool operator()(const ustring& a, const ustring& b) const { return a == b; }
    bool operator()(const slate::usubstring& a, const slate::usubstring& b) const { return a == b; }
};
