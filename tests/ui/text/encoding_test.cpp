#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bytes.h"
#include "ui/recording_platform.h"
#include "ui/text/encoding.h"

namespace {


const unsigned char* data(const std::string& text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

struct Decoded {
    ustring text;
    FileEncoding encoding;
    size_t lost;
};

// One whole file through decodeWithDetection, as a single final chunk.
Decoded decodeFile(const std::string& file, FileEncoding requested, FileEncoding fallback)
{
    std::vector<uchar> out(file.size() + 1);
    FileEncoding encoding = requested;
    const unsigned char* input = data(file);
    uchar* output = out.data();
    const size_t lost =
        decodeWithDetection(encoding, fallback, input, input + file.size(), output, file.size(), true);
    EXPECT_EQ(input, data(file) + file.size()) << "a final call leaves nothing behind";
    return {ustring(out.data(), output), encoding, lost};
}

// Feeds `chunks` through one StreamDecoder, the last chunk final.
struct Streamed {
    ustring text;
    FileEncoding encoding;
    uint64_t lost;
    uint64_t firstLostOffset;
};

Streamed feedStream(StreamDecoder& decoder, const std::vector<std::string>& chunks)
{
    ustring text;
    for (size_t i = 0; i < chunks.size(); ++i) {
        const std::string& chunk = chunks[i];
        EXPECT_LE(chunk.size(), decoder.inputSpaceSize());
        std::copy(chunk.begin(), chunk.end(), decoder.inputSpace());
        decoder.decode(chunk.size(), i + 1 == chunks.size());
        EXPECT_EQ(*decoder.outputEnd(), 0) << "the text is followed by a zero unit";
        text.append(decoder.outputBegin(), decoder.outputEnd());
    }
    EXPECT_EQ(decoder.keptBytes(), 0u) << "nothing is left after the final call";
    return {text, decoder.encoding(), decoder.lostBytes(), decoder.firstLostByteOffset()};
}

Streamed decodeStream(const std::vector<std::string>& chunks, FileEncoding requested, FileEncoding fallback)
{
    StreamDecoder decoder(requested, fallback);
    return feedStream(decoder, chunks);
}

std::string encode(FileEncoding encoding, const ustring& text)
{
    std::string result(text.size() * 3 + 3, '\0');
    const uchar* source = text.data();
    auto* destination = reinterpret_cast<unsigned char*>(&result[0]);
    const size_t written = encodeChunk(encoding, source, text.data() + text.size(), destination,
                                       result.size(), true);
    EXPECT_EQ(source, text.data() + text.size());
    result.resize(written);
    return result;
}

} // namespace

TEST(Encoding, NamesRoundTripAndCompareWithoutCase)
{
    for (FileEncoding id = 0; id <= kEncodingLast; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(encodingFromName(encodingName(id)), id);
    }
    struct Case {
        ustring name;
        FileEncoding expected;
    };
    const Case cases[] = {
        {u"utf-8", kEncodingUtf8},
        {u"UTF-8 WITH BOM", kEncodingUtf8WithBom},
        {u"western (windows 1252)", kEncodingWindows1252},
        {u"Cyrillic (koi8-u)", 18},
        {u"UTF-8 ", kEncodingUndefined},
        {u"UTF8", kEncodingUndefined},
        {u"", kEncodingUndefined},
        {u"Bad File Encoding", kEncodingUndefined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(encodingFromName(c.name), c.expected);
    }
    EXPECT_EQ(encodingName(kEncodingUtf16LEWithBom), u"UTF-16 LE with BOM");
    EXPECT_EQ(encodingName(kEncodingWindows1258), u"Vietnamese (Windows 1258)");
    EXPECT_EQ(encodingName(35), u"Bad File Encoding");
    EXPECT_EQ(encodingName(0xFFFFFFFFu), u"Bad File Encoding");
}

TEST(Encoding, ByteOrderMarksBelongToThreeEncodings)
{
    struct Case {
        FileEncoding encoding;
        size_t length;
        std::string mark;
    };
    const Case cases[] = {
        {kEncodingUtf16BEWithBom, 2, bytes({0xFE, 0xFF})},
        {kEncodingUtf16LEWithBom, 2, bytes({0xFF, 0xFE})},
        {kEncodingUtf8WithBom, 3, bytes({0xEF, 0xBB, 0xBF})},
        {kEncodingUtf16BE, 0, ""},
        {kEncodingUtf8, 0, ""},
        {kEncodingWindows1252, 0, ""},
        {kEncodingUndefined, 0, ""},
        {35, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        EXPECT_EQ(encodingHasBom(c.encoding), c.length != 0);
        EXPECT_EQ(bomLength(c.encoding), c.length);
        EXPECT_EQ(bomBytes(c.encoding), c.mark);
        if (!c.mark.empty()) {
            EXPECT_EQ(detectBom(data(c.mark), c.mark.size()), c.encoding);
        }
    }
    EXPECT_EQ(detectBom(data(bytes({0xEF, 0xBB})), 2), kEncodingUndefined);
    EXPECT_EQ(detectBom(data(bytes({0xFF})), 1), kEncodingUndefined);
}

TEST(Encoding, DetectionOrderIsMarkThenRequestThenZeroBytes)
{
    struct Case {
        const char* name;
        std::string file;
        FileEncoding requested;
        FileEncoding expected;
    };
    const Case cases[] = {
        {"mark beats request", bytes({0xFF, 0xFE, 'a', 0}), kEncodingWindows1252, kEncodingUtf16LEWithBom},
        {"big-endian mark", bytes({0xFE, 0xFF, 0, 'a'}), kEncodingUndefined, kEncodingUtf16BEWithBom},
        {"UTF-8 mark beats UTF-8", bytes({0xEF, 0xBB, 0xBF, 'a'}), kEncodingUtf8, kEncodingUtf8WithBom},
        {"zeros in odd places", bytes({'a', 0, 'b', 0, 'c', 0}), kEncodingUndefined, kEncodingUtf16LE},
        {"zeros in even places", bytes({0, 'a', 0, 'b', 0, 'c'}), kEncodingUndefined, kEncodingUtf16BE},
        {"five bytes are too few", bytes({'a', 0, 'b', 0, 'c'}), kEncodingUndefined, kEncodingUndefined},
        {"one zero out of place", bytes({'a', 0, 0, 0, 'c', 0}), kEncodingUndefined, kEncodingUndefined},
        {"request beats zeros", bytes({'a', 0, 'b', 0, 'c', 0}), kEncodingWindows1252, kEncodingWindows1252},
        {"plain text", "abcdef", kEncodingUndefined, kEncodingUndefined},
        {"an id beyond the table detects", "abcdef", 35, kEncodingUndefined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(detectEncoding(c.requested, data(c.file), c.file.size()), c.expected);
    }
}

TEST(Encoding, DecodingWholeFiles)
{
    const FileEncoding kCyrillic1251 = 14;
    const FileEncoding kGreekIso = 21;
    struct Case {
        const char* name;
        std::string file;
        FileEncoding requested;
        FileEncoding fallback;
        ustring text;
        FileEncoding encoding;
        size_t lost;
    };
    const Case cases[] = {
        {"little-endian mark wins over the request", bytes({0xFF, 0xFE, 'a', 0, 'b', 0}), kEncodingWindows1252,
         kEncodingWindows1252, u"ab", kEncodingUtf16LEWithBom, 0},
        {"big-endian mark", bytes({0xFE, 0xFF, 0x20, 0xAC}), kEncodingUndefined, 1, u"\u20ac",
         kEncodingUtf16BEWithBom, 0},
        {"UTF-8 mark", bytes({0xEF, 0xBB, 0xBF, 0xC3, 0xA9}), kEncodingUndefined, 1, u"\u00e9",
         kEncodingUtf8WithBom, 0},
        {"UTF-16 LE from zero bytes", bytes({'a', 0, 'b', 0, 'c', 0}), kEncodingUndefined, 1, u"abc",
         kEncodingUtf16LE, 0},
        {"UTF-16 BE from zero bytes", bytes({0, 'a', 0, 'b', 0, 'c'}), kEncodingUndefined, 1, u"abc",
         kEncodingUtf16BE, 0},
        {"five such bytes are UTF-8", bytes({'a', 0, 'b', 0, 'c'}), kEncodingUndefined, 1,
         ustring(u"a\0b\0c", 5), kEncodingUtf8, 0},
        {"ASCII is UTF-8", "plain", kEncodingUndefined, 1, u"plain", kEncodingUtf8, 0},
        {"supplementary character", bytes({0xF0, 0x9F, 0x98, 0x80}), kEncodingUndefined, 1, u"\U0001F600",
         kEncodingUtf8, 0},
        {"empty file is UTF-8", "", kEncodingUndefined, 1, u"", kEncodingUtf8, 0},
        {"one bad byte falls back", bytes({'c', 'a', 'f', 0xE9}), kEncodingUndefined, kEncodingWindows1252,
         u"caf\u00e9", kEncodingWindows1252, 0},
        {"fallback 0 means Windows 1252", bytes({0x80, ' ', 'x'}), kEncodingUndefined, kEncodingUndefined,
         u"\u20ac x", kEncodingWindows1252, 0},
        {"fallback beyond the table means Windows 1252", bytes({0x80}), kEncodingUndefined, 35, u"\u20ac",
         kEncodingWindows1252, 0},
        {"another fallback", bytes({0xC0, 0xE0}), kEncodingUndefined, kCyrillic1251, u"\u0410\u0430",
         kCyrillic1251, 0},
        {"encoded surrogate falls back", bytes({0xED, 0xA0, 0x80}), kEncodingUndefined, 1, u"\u00ed\u00a0\u20ac",
         kEncodingWindows1252, 0},
        {"cut sequence at the end of the file falls back", bytes({'a', 0xE2, 0x82}), kEncodingUndefined, 1,
         u"a\u00e2\u201a", kEncodingWindows1252, 0},
        {"cut sequence in UTF-8 ends in two question marks", bytes({'a', 'b', 0xE2, 0x82}), kEncodingUtf8, 1,
         u"ab??", kEncodingUtf8, 2},
        {"invalid byte in UTF-8", bytes({'a', 0xFF, 'b'}), kEncodingUtf8, 1, u"a?b", kEncodingUtf8, 1},
        {"overlong form in UTF-8", bytes({0xC0, 0x80, 'z'}), kEncodingUtf8, 1, u"??z", kEncodingUtf8, 2},
        {"bad lead byte at the end keeps what follows", bytes({'a', 0xF8, 'b'}), kEncodingUtf8, 1, u"a?b",
         kEncodingUtf8, 1},
        {"odd-length UTF-16 loses its last byte", bytes({'a', 0, 'b'}), kEncodingUtf16LE, 1, u"a",
         kEncodingUtf16LE, 1},
        {"unpaired surrogate in UTF-16 is kept", bytes({0, 0xD8, 'a', 0}), kEncodingUtf16LE, 1, u"\xD800"
                                                                                                 u"a",
         kEncodingUtf16LE, 0},
        {"requested mark that is missing skips nothing", "abc", kEncodingUtf8WithBom, 1, u"abc",
         kEncodingUtf8WithBom, 0},
        {"requested UTF-16 mark that is missing skips nothing", bytes({'a', 0}), kEncodingUtf16LEWithBom, 1,
         u"a", kEncodingUtf16LEWithBom, 0},
        {"a requested id beyond the table detects", "abc", 99, 1, u"abc", kEncodingUtf8, 0},
        {"Windows 1252 holes are C1 controls", bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}), kEncodingWindows1252, 1,
         u"\u0081\u008d\u008f\u0090\u009d", kEncodingWindows1252, 0},
        {"undefined byte of a code page is lost", bytes({'a', 0xAE}), kGreekIso, 1, ustring(u"a\0", 2),
         kGreekIso, 1},
        {"Mac Roman byte 7F is lost", bytes({0x7F, 0xDB}), kEncodingMacRoman, 1, ustring(u"\0\u20ac", 2),
         kEncodingMacRoman, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = decodeFile(c.file, c.requested, c.fallback);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.encoding, c.encoding);
        EXPECT_EQ(decoded.lost, c.lost);
    }
}

TEST(Encoding, WholeFileFormDetectsWithWindows1252Fallback)
{
    const std::string file = bytes({'n', 'a', 0xEF, 'v', 'e'});
    std::vector<uchar> out(2 * file.size());
    const size_t length = decodeWithDetection(data(file), file.size(), out.data());
    EXPECT_EQ(ustring(out.data(), length), u"na\u00efve");

    const std::string utf16 = bytes({0xFF, 0xFE, 'h', 0, 'i', 0});
    out.assign(2 * utf16.size(), 0);
    EXPECT_EQ(ustring(out.data(), decodeWithDetection(data(utf16), utf16.size(), out.data())), u"hi");
}

TEST(Encoding, FallbackIsTraced)
{
    struct TracePlatform : RecordingPlatform {
        std::string trace;
        void debugOutputNarrow(const std::string& text) override { trace += text; }
    } platform;
    decodeFile(bytes({0xE9}), kEncodingUndefined, 14);
    EXPECT_EQ(platform.trace, "Unable to auto detect encoding, using fallback encoding Cyrillic (Windows 1251)\n");
}

TEST(Encoding, StreamKeepsCutSequencesForTheNextChunk)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        FileEncoding requested;
        ustring text;
        FileEncoding encoding;
    };
    const Case cases[] = {
        {"euro sign cut after two bytes", {bytes({'a', 0xE2, 0x82}), bytes({0xAC, 'b'})}, kEncodingUndefined,
         u"a\u20acb", kEncodingUtf8},
        {"four-byte sequence cut after one", {bytes({0xF0}), bytes({0x9F, 0x98, 0x80})}, kEncodingUtf8,
         u"\U0001F600", kEncodingUtf8},
        {"UTF-16 unit cut in half", {bytes({'a', 0, 'b', 0, 'c', 0, 'd'}), bytes({0})}, kEncodingUndefined,
         u"abcd", kEncodingUtf16LE},
        {"mark in the first chunk only", {bytes({0xEF, 0xBB, 0xBF, 'x'}), bytes({0xEF, 0xBB, 0xBF})},
         kEncodingUndefined, u"x\ufeff", kEncodingUtf8WithBom},
        {"detection in the first chunk only", {"abcdef", bytes({'a', 0, 'b', 0, 'c', 0})}, kEncodingUndefined,
         ustring(u"abcdefa\0b\0c\0", 12), kEncodingUtf8},
        {"empty file", {""}, kEncodingUndefined, u"", kEncodingUtf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Streamed streamed = decodeStream(c.chunks, c.requested, kEncodingWindows1252);
        EXPECT_EQ(streamed.text, c.text);
        EXPECT_EQ(streamed.encoding, c.encoding);
        EXPECT_EQ(streamed.lost, 0u);
    }
}

TEST(Encoding, StreamReportsInvalidBytesAfterUtf8WasDetected)
{
    // The first chunk decides on UTF-8; an invalid byte in a later chunk
    // cannot change that any more, so it is reported instead of passing
    // silently: saving the "?" over the file would destroy the byte.
    const Streamed streamed =
        decodeStream({"first chunk\n", bytes({'c', 'a', 'f', 0xE9, '\n'}), "end"}, kEncodingUndefined,
                     kEncodingWindows1252);
    EXPECT_EQ(streamed.encoding, kEncodingUtf8);
    EXPECT_EQ(streamed.text, u"first chunk\ncaf?\nend");
    EXPECT_EQ(streamed.lost, 1u);
    EXPECT_EQ(streamed.firstLostOffset, 15u);
}

TEST(Encoding, StreamCountsLostBytesFromTheStartOfTheFile)
{
    // The mark and the kept bytes count towards the offset.
    const Streamed streamed =
        decodeStream({bytes({0xEF, 0xBB, 0xBF, 'a', 0xC3}), bytes({0xA9, 'b', 0xFF, 0xFE})}, kEncodingUndefined,
                     kEncodingWindows1252);
    EXPECT_EQ(streamed.text, u"a\u00e9b??");
    EXPECT_EQ(streamed.lost, 2u);
    EXPECT_EQ(streamed.firstLostOffset, 7u);

    const Streamed odd = decodeStream({bytes({0, 'a', 0}), bytes({'b', 0})}, kEncodingUtf16BE, 1);
    EXPECT_EQ(odd.text, u"ab");
    EXPECT_EQ(odd.lost, 1u);
    EXPECT_EQ(odd.firstLostOffset, 4u);
}

TEST(Encoding, StreamDecodesAFullBuffer)
{
    // A full first chunk that ends inside a character: UTF-8 is still chosen
    // and the cut character completes in the next chunk.
    std::string first(StreamDecoder::kBufferSize - 1, 'x');
    first += static_cast<char>(0xC3);
    const Streamed streamed = decodeStream({first, bytes({0xA9})}, kEncodingUndefined, 1);
    EXPECT_EQ(streamed.encoding, kEncodingUtf8);
    ASSERT_EQ(streamed.text.size(), StreamDecoder::kBufferSize);
    EXPECT_EQ(streamed.text.back(), u'\u00e9');
    EXPECT_EQ(streamed.lost, 0u);
}

TEST(Encoding, ResetStreamDecodesLikeANewDecoder)
{
    // The first stream detected UTF-8 behind a mark, lost a byte and kept a
    // cut sequence; none of that may reach the next stream.
    StreamDecoder decoder(kEncodingUndefined, kEncodingWindows1252);
    const std::string first = bytes({0xEF, 0xBB, 0xBF, 'a', 0xFF, 'b', 0xE2, 0x82});
    std::copy(first.begin(), first.end(), decoder.inputSpace());
    decoder.decode(first.size(), false);
    ASSERT_NE(decoder.keptBytes(), 0u);
    ASSERT_NE(decoder.lostBytes(), 0u);

    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        FileEncoding requested;
        FileEncoding fallback;
    };
    const Case cases[] = {
        {"detection again", {bytes({'a', 0, 'b', 0}), bytes({'c', 0})}, kEncodingUndefined, kEncodingWindows1252},
        {"fallback taken", {bytes({'x', 0xE9, 'y'})}, kEncodingUndefined, kEncodingMacRoman},
        {"requested encoding", {bytes({0, 'a', 0xD8})}, kEncodingUtf16BE, kEncodingWindows1252},
        {"loss counted from the new start", {bytes({'a', 0xC3}), bytes({0xA9, 0xFF})}, kEncodingUtf8,
         kEncodingWindows1252},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        decoder.reset(c.requested, c.fallback);
        EXPECT_EQ(decoder.keptBytes(), 0u);
        EXPECT_EQ(decoder.outputBegin(), decoder.outputEnd());
        EXPECT_EQ(decoder.encoding(), c.requested);
        const Streamed reused = feedStream(decoder, c.chunks);
        const Streamed fresh = decodeStream(c.chunks, c.requested, c.fallback);
        EXPECT_EQ(reused.text, fresh.text);
        EXPECT_EQ(reused.encoding, fresh.encoding);
        EXPECT_EQ(reused.lost, fresh.lost);
        EXPECT_EQ(reused.firstLostOffset, fresh.firstLostOffset);
    }
}

TEST(Encoding, Windows1252AndLatin1CharacterSets)
{
    struct Case {
        FileEncoding encoding;
        uchar unit;
        bool encodable;
        int byte; // what encodeChunk writes
    };
    const FileEncoding kGreekIso = 21;
    const Case cases[] = {
        {kEncodingWindows1252, 0x20AC, true, 0x80},
        {kEncodingWindows1252, 0x0081, true, 0x81},
        {kEncodingWindows1252, 0x009D, true, 0x9D},
        {kEncodingWindows1252, 0x0080, false, 0},
        {kEncodingWindows1252, 0x0178, true, 0x9F},
        {kEncodingWindows1252, 0x0000, true, 0},
        {kEncodingIso8859_1, 0x20AC, false, 0},
        {kEncodingIso8859_1, 0x0080, true, 0x80},
        {kEncodingIso8859_1, 0x00FF, true, 0xFF},
        {kEncodingIso8859_1, 0x0100, false, 0},
        {kEncodingMacRoman, 0x007F, false, 0},
        {kEncodingMacRoman, 0x20AC, true, 0xDB},
        {kGreekIso, 0x0391, true, 0xC1},
        {kGreekIso, 0x00E9, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "id " << c.encoding << " unit " << std::hex << c.unit);
        EXPECT_EQ(canEncode(c.encoding, c.unit), c.encodable);
        EXPECT_EQ(encode(c.encoding, ustring(1, c.unit)), std::string(1, static_cast<char>(c.byte)));
    }
    EXPECT_TRUE(canEncode(kEncodingUtf8, 0x20AC));
    EXPECT_TRUE(canEncode(kEncodingUtf16BE, 0xD800));
    EXPECT_FALSE(canEncode(kEncodingUndefined, u'a'));
    EXPECT_FALSE(canEncode(35, u'a'));
}

TEST(Encoding, EverySingleByteTableRoundTripsEveryByteItDefines)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (FileEncoding id = kEncodingFirstSingleByte; id <= kEncodingLastSingleByte; ++id) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        const uchar* table = singleByteDecodingTable(id);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table[0], 0);
        const Decoded decoded = decodeFile(all, id, 1);
        ASSERT_EQ(decoded.text.size(), 256u);
        EXPECT_EQ(decoded.encoding, id);
        std::string expected = all;
        size_t undefined = 0;
        for (int byte = 1; byte < 256; ++byte) {
            EXPECT_EQ(decoded.text[byte], table[byte]);
            if (table[byte] == 0) {
                expected[byte] = 0; // an undefined byte comes back as byte 0
                ++undefined;
                continue;
            }
            EXPECT_TRUE(canEncode(id, table[byte])) << "byte " << byte;
        }
        EXPECT_EQ(decoded.lost, undefined);
        EXPECT_EQ(encode(id, decoded.text), expected);
    }
    EXPECT_EQ(singleByteDecodingTable(kEncodingUndefined), nullptr);
    EXPECT_EQ(singleByteDecodingTable(kEncodingUtf8), nullptr);
}

TEST(Encoding, TablesFollowTheHouseConventions)
{
    const uchar* windows1252 = singleByteDecodingTable(kEncodingWindows1252);
    EXPECT_EQ(windows1252[0x80], 0x20AC);
    for (int hole : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(windows1252[hole], hole);
    const uchar* latin1 = singleByteDecodingTable(kEncodingIso8859_1);
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(latin1[byte], byte);
    EXPECT_EQ(singleByteDecodingTable(kEncodingMacRoman)[0x7F], 0);
    // Only Windows 1252 and ISO 8859-1 define all 256 bytes among the Western
    // sets; ISO 8859-3 leaves seven undefined.
    const uchar* iso3 = singleByteDecodingTable(3);
    int holes = 0;
    for (int byte = 0; byte < 256; ++byte)
        holes += iso3[byte] == 0 && byte != 0;
    EXPECT_EQ(holes, 7);
}

TEST(Encoding, EncodesUnicodeForms)
{
    const ustring text = u"a\u20ac\U0001F600";
    struct Case {
        FileEncoding encoding;
        std::string expected;
    };
    const Case cases[] = {
        {kEncodingUtf16BE, bytes({0, 'a', 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00})},
        {kEncodingUtf16BEWithBom, bytes({0, 'a', 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00})},
        {kEncodingUtf16LE, bytes({'a', 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE})},
        {kEncodingUtf16LEWithBom, bytes({'a', 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE})},
        {kEncodingUtf8, bytes({'a', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80})},
        {kEncodingUtf8WithBom, bytes({'a', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80})},
        {kEncodingUndefined, ""},
        {35, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        if (c.expected.empty()) {
            unsigned char buffer[16];
            const uchar* source = text.data();
            EXPECT_EQ(encodeChunk(c.encoding, source, text.data() + text.size(), buffer, sizeof buffer), 0u);
            continue;
        }
        EXPECT_EQ(encode(c.encoding, text), c.expected);
        EXPECT_EQ(decodeFile(c.expected, c.encoding, 1).text, text);
    }
}

TEST(Encoding, Utf8EncodingKeepsUnpairedSurrogates)
{
    EXPECT_EQ(encode(kEncodingUtf8, u"\xDC00"
                                    u"a"),
              bytes({0xED, 0xB0, 0x80, 'a'}));
    EXPECT_EQ(encode(kEncodingUtf8, u"\xD800"
                                    u"a"),
              bytes({0xED, 0xA0, 0x80, 'a'}));

    // A high surrogate that ends a piece of text waits for its partner...
    const ustring text = u"a\xD83D";
    const uchar* source = text.data();
    unsigned char buffer[8];
    EXPECT_EQ(encodeChunk(kEncodingUtf8, source, text.data() + 2, buffer, sizeof buffer), 1u);
    EXPECT_EQ(source, text.data() + 1);
    // ...unless no more text follows.
    EXPECT_EQ(encodeChunk(kEncodingUtf8, source, text.data() + 2, buffer, sizeof buffer, true), 3u);
    EXPECT_EQ(source, text.data() + 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), bytes({0xED, 0xA0, 0xBD}));
}

TEST(Encoding, EncodingStopsWhenTheDestinationIsFull)
{
    struct Case {
        FileEncoding encoding;
        ustring text;
        size_t capacity;
        size_t written;
        size_t consumed;
    };
    const Case cases[] = {
        {kEncodingWindows1252, u"abc", 2, 2, 2},
        {kEncodingUtf16LE, u"abc", 5, 4, 2},
        {kEncodingUtf16BE, u"abc", 1, 0, 0},
        {kEncodingUtf8, u"\u20ac\u20ac", 5, 3, 1},
        {kEncodingUtf8, u"\U0001F600", 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        unsigned char buffer[16];
        const uchar* source = c.text.data();
        EXPECT_EQ(encodeChunk(c.encoding, source, c.text.data() + c.text.size(), buffer, c.capacity, true),
                  c.written);
        EXPECT_EQ(source, c.text.data() + c.consumed);
    }
}

TEST(Encoding, MapsAreReadyAndRebuildingChangesNothing)
{
    buildEncodingReverseMaps();
    EXPECT_EQ(encode(kEncodingWindows1252, u"\u20ac"), bytes({0x80}));
    EXPECT_TRUE(canEncode(kEncodingWindows1252, 0x0081));
}
