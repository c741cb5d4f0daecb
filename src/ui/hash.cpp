// MurmurHash2 and MD5, both written out here because they are small and their
// exact output matters: hash values order nothing that is stored, but the MD5
// digest names a system object that separate processes must agree on. Both
// read their input byte by byte, so results do not depend on the machine's
// byte order or on the alignment of the data.
#include "ui/hash.h"

#include <cstring>

uint32_t murmurHash2(const void* data, size_t lengthInBytes, uint32_t seed)
{
    const uint32_t m = 0x5bd1e995;
    const int r = 24;
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t remaining = lengthInBytes;
    // The length is mixed in as a 32-bit value, as the reference does.
    uint32_t h = seed ^ static_cast<uint32_t>(lengthInBytes);

    while (remaining >= 4) {
        uint32_t k = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        k *= m;
        k ^= k >> r;
        k *= m;
        h *= m;
        h ^= k;
        bytes += 4;
        remaining -= 4;
    }

    switch (remaining) {
    case 3:
        h ^= static_cast<uint32_t>(bytes[2]) << 16;
        [[fallthrough]];
    case 2:
        h ^= static_cast<uint32_t>(bytes[1]) << 8;
        [[fallthrough]];
    case 1:
        h ^= bytes[0];
        h *= m;
    }

    h ^= h >> 13;
    h *= m;
    h ^= h >> 15;
    return h;
}

namespace {

// MD5 as RFC 1321 describes it: 64-byte blocks, four rounds of sixteen steps.
class Md5 {
public:
    void update(const unsigned char* data, size_t length)
    {
        m_totalBytes += length;
        while (length > 0) {
            const size_t take = length < 64 - m_buffered ? length : 64 - m_buffered;
            std::memcpy(m_buffer + m_buffered, data, take);
            m_buffered += take;
            data += take;
            length -= take;
            if (m_buffered == 64) {
                transform(m_buffer);
                m_buffered = 0;
            }
        }
    }

    void finish(unsigned char digest[16])
    {
        const uint64_t bitCount = m_totalBytes * 8;
        unsigned char padding[72] = {0x80};
        const size_t padLength = m_buffered < 56 ? 56 - m_buffered : 120 - m_buffered;
        unsigned char lengthBytes[8];
        for (int i = 0; i < 8; ++i)
            lengthBytes[i] = static_cast<unsigned char>(bitCount >> (8 * i));
        update(padding, padLength);
        update(lengthBytes, 8);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                digest[4 * i + j] = static_cast<unsigned char>(m_state[i] >> (8 * j));
    }

private:
    static uint32_t rotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

    void transform(const unsigned char block[64])
    {
        // Per-step shift amounts and the constants floor(abs(sin(i + 1)) * 2^32).
        static const int kShift[64] = {
            7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
        static const uint32_t kSine[64] = {
            0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
            0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
            0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
            0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
            0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
            0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
            0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
            0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
            0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
            0xeb86d391};

        uint32_t words[16];
        for (int i = 0; i < 16; ++i)
            words[i] = static_cast<uint32_t>(block[4 * i]) | static_cast<uint32_t>(block[4 * i + 1]) << 8 |
                       static_cast<uint32_t>(block[4 * i + 2]) << 16 |
                       static_cast<uint32_t>(block[4 * i + 3]) << 24;

        uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
        for (int i = 0; i < 64; ++i) {
            uint32_t f;
            int g;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            const uint32_t next = d;
            d = c;
            c = b;
            b = b + rotateLeft(a + f + kSine[i] + words[g], kShift[i]);
            a = next;
        }
        m_state[0] += a;
        m_state[1] += b;
        m_state[2] += c;
        m_state[3] += d;
    }

    uint32_t m_state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    unsigned char m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_totalBytes = 0;
};

} // namespace

void md5HexDigest(char output[33], const void* data, size_t lengthInBytes)
{
    Md5 md5;
    md5.update(static_cast<const unsigned char*>(data), lengthInBytes);
    unsigned char digest[16];
    md5.finish(digest);
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        output[2 * i] = kDigits[digest[i] & 0x0f];
        output[2 * i + 1] = kDigits[digest[i] >> 4];
    }
    output[32] = '\0';
}
