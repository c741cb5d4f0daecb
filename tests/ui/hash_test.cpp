#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unordered_map>

#include "ui/hash.h"

namespace {

std::string repeated(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Expected values computed outside this code base with a separate MurmurHash2
// implementation (little-endian blocks, m = 0x5bd1e995, r = 24).
TEST(MurmurHash2, MatchesIndependentlyComputedValues)
{
    struct Case {
        const char* bytes;
        uint32_t seed;
        uint32_t expected;
    };
    const Case cases[] = {
        {"", 7, 0x82bc6669},   // only the final mix of seed ^ 0
        {"", 0, 0x00000000},
        {"a", 7, 0xfbeb9e30},  // 1-byte tail
        {"a", 0, 0x92685f5e},
        {"ab", 7, 0xce70ccbc}, // 2-byte tail
        {"abc", 7, 0x390bf647}, // 3-byte tail, no block
        {"abc", 0, 0x13577c9b},
        {"abcd", 7, 0x80c268ee}, // one block, no tail
        {"abcde", 7, 0xbec09ff5},
        {"Hello, world!", 7, 0x15c8f15a},
        {"Hello, world!", 0, 0x403c1e05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.bytes + "\" seed " + std::to_string(c.seed));
        EXPECT_EQ(murmurHash2(c.bytes, std::strlen(c.bytes), c.seed), c.expected);
    }
}

TEST(MurmurHash2, DoesNotDependOnAlignment)
{
    char storage[16] = {0, 'a', 'b', 'c', 'd', 'e'};
    EXPECT_EQ(murmurHash2(storage + 1, 5, 7), 0xbec09ff5u);
}

TEST(UstringHash, HashesUtf16BytesWithSeed7)
{
    const ustring text = u"scope.name";
    EXPECT_EQ(UstringHash()(text), 0xc65ee44eu);
    EXPECT_EQ(UstringHash()(slate::usubstring(text)), 0xc65ee44eu);
    EXPECT_EQ(UstringHash()(ustring()), 0x82bc6669u);
}

TEST(UstringHash, ServesUnorderedMapsOfTextAndViews)
{
    std::unordered_map<ustring, int, UstringHash> byText{{u"one", 1}, {u"two", 2}};
    EXPECT_EQ(byText.at(u"two"), 2);

    const ustring storage = u"one two";
    std::unordered_map<slate::usubstring, int, UstringHash, UstringEqual> byView;
    byView[slate::usubstring(storage).substr(0, 3)] = 1;
    const ustring probe = u"one";
    EXPECT_EQ(byView.count(slate::usubstring(probe)), 1u);
}

// Digits are written low four bits first; `normal` is the usual MD5 spelling,
// given alongside so the expected values can be checked elsewhere.
TEST(Md5HexDigest, WritesEachByteLowDigitFirst)
{
    struct Case {
        std::string bytes;
        const char* normal;
        const char* expected;
    };
    const std::string folder(reinterpret_cast<const char*>(u"c:\\program files\\vantrel"), 24 * 2);
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "4dd1c89df8002b409e089089ce8f24e7"},
        {"a", "0cc175b9c0f1b6a831c399e269772661", "c01c579b0c1f6b8a133c992e96776216"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "09100589c32df40b6d69f3d7821ef727"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0", "9fb696d7c77b39d825a5f213aa1f160d"},
        {repeated("1234567890", 8), "57edf4a22be3c955ac49da2e2107b67a", "75de4f2ab23e9c55ca94ade212706ba7"},
        // Padding boundaries: 55 bytes fit one block, 56 and 64 need two.
        {std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72", "406344022ec515f29d857a7083aaf827"},
        {std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b", "66a8275dab710fe826adcbfadad61bb4"},
        {std::string(64, 'x'), "c1bb4f81d892b2d57947682aeb252456", "1cbbf4188d292b5d977486a2be524265"},
        // The UTF-16 bytes of a lower-cased folder, as the single-instance
        // name is built.
        {folder, "000310504a3dcd409a4555d42be1d1c4", "00300105a4d3dc04a954554db21e1d4c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.normal);
        char output[33];
        std::memset(output, '?', sizeof output);
        md5HexDigest(output, c.bytes.data(), c.bytes.size());
        EXPECT_STREQ(output, c.expected);
    }
}

} // namespace
