// Conversion between the bytes of a file and the UTF-16 text of a buffer.
// Reading detects the encoding once, from the first bytes: a byte-order mark,
// else the zero bytes of UTF-16, else UTF-8 when the bytes are valid UTF-8,
// else the user's fallback encoding. The file reader decodes in fixed chunks
// through one `StreamDecoder`, so a multi-byte character cut by the end of a
// chunk is kept back for the next one, and the output never holds more units
// than the chunk held bytes. Decoding never fails; instead it counts the bytes
// it could not carry over (invalid UTF-8, an odd UTF-16 byte, a byte a code
// page leaves undefined), so that the buffer can refuse to write a damaged
// text over the file it came from. Writing goes through per-encoding maps
// from unit to byte, built before `main` from the decoding tables in
// encoding_tables.cpp and only read afterwards.
#include "ui/text/encoding.h"

#include <cstring>
#include <map>

#include "ui/log.h"
#include "ui/unicode.h"

namespace {

const size_t kNameCount = 36; // ids 0 to 34, then the name of every bad id

const ustring* encodingNames()
{
    static const ustring s_names[kNameCount] = {
        u"Undefined",
        u"Western (Windows 1252)",
        u"Western (ISO 8859-1)",
        u"Western (ISO 8859-3)",
        u"Western (ISO 8859-15)",
        u"Western (Mac Roman)",
        u"DOS (CP 437)",
        u"Arabic (Windows 1256)",
        u"Arabic (ISO 8859-6)",
        u"Baltic (Windows 1257)",
        u"Baltic (ISO 8859-4)",
        u"Celtic (ISO 8859-14)",
        u"Central European (Windows 1250)",
        u"Central European (ISO 8859-2)",
        u"Cyrillic (Windows 1251)",
        u"Cyrillic (Windows 866)",
        u"Cyrillic (ISO 8859-5)",
        u"Cyrillic (KOI8-R)",
        u"Cyrillic (KOI8-U)",
        u"Estonian (ISO 8859-13)",
        u"Greek (Windows 1253)",
        u"Greek (ISO 8859-7)",
        u"Hebrew (Windows 1255)",
        u"Hebrew (ISO 8859-8)",
        u"Nordic (ISO 8859-10)",
        u"Romanian (ISO 8859-16)",
        u"Turkish (Windows 1254)",
        u"Turkish (ISO 8859-9)",
        u"Vietnamese (Windows 1258)",
        u"UTF-16 BE",
        u"UTF-16 BE with BOM",
        u"UTF-16 LE",
        u"UTF-16 LE with BOM",
        u"UTF-8",
        u"UTF-8 with BOM",
        u"Bad File Encoding",
    };
    return s_names;
}

// Unit to byte for each single-byte encoding, indexed by id; entry 0 stays
// empty. Where two bytes decode to the same unit the lower byte wins, so all
// undefined bytes (U+0000) encode as byte 0.
using EncodingMap = std::map<uchar, unsigned char>;

EncodingMap* encodingMaps()
{
    static EncodingMap s_maps[kEncodingLastSingleByte + 1];
    return s_maps;
}

// Fills the maps exactly once, whoever asks first. Function-local statics
// rather than plain globals, so that a static initialiser elsewhere that
// encodes text finds them ready whatever the link order.
const EncodingMap* filledEncodingMaps()
{
    static const bool s_filled = [] {
        EncodingMap* maps = encodingMaps();
        for (FileEncoding id = kEncodingFirstSingleByte; id <= kEncodingLastSingleByte; ++id) {
            const uchar* table = singleByteDecodingTable(id);
            for (int byte = 0; byte < 256; ++byte)
                maps[id].emplace(table[byte], static_cast<unsigned char>(byte)); // keeps an existing key
        }
        return true;
    }();
    (void)s_filled;
    return encodingMaps();
}

// The tables exist before `main` starts, as the rest of the program expects:
// the maps are built empty, then the names, then the maps are filled. At exit
// they go in the reverse order.
const bool s_tablesReady = (encodingMaps(), encodingNames(), buildEncodingReverseMaps(), true);

// Remembers the first lost byte of a call.
void noteLoss(const unsigned char* at, const unsigned char*& firstLoss)
{
    if (!firstLoss)
        firstLoss = at;
}

// Lenient UTF-8: each invalid byte becomes "?". A valid but incomplete
// sequence at the end is kept unless `final`.
size_t decodeUtf8(const unsigned char*& input, const unsigned char* inputEnd, uchar*& output, bool final,
                  const unsigned char*& firstLoss)
{
    size_t lost = 0;
    while (input < inputEnd) {
        // No sequence yields more units than bytes, so the target never runs
        // out before the source.
        const ConversionResult result =
            convertUtf8ToUtf16(&input, inputEnd, &output, output + (inputEnd - input), false);
        if (result == ConversionResult::conversionOk)
            break;
        // A sequence cut short but well-formed so far may end in the next
        // chunk; anything else is invalid now.
        if (result == ConversionResult::sourceExhausted && !final)
            break;
        // An invalid lead byte, or the last bytes of the file cut short: one
        // "?" for the byte, then carry on with the next one.
        noteLoss(input, firstLoss);
        *output++ = u'?';
        ++input;
        ++lost;
    }
    return lost;
}

size_t decodeSingleByte(FileEncoding encoding, const unsigned char*& input, const unsigned char* inputEnd,
                        uchar*& output, const unsigned char*& firstLoss)
{
    const uchar* table = singleByteDecodingTable(encoding);
    size_t lost = 0;
    for (; input < inputEnd; ++input) {
        const uchar unit = table[*input];
        if (unit == 0 && *input != 0) {
            noteLoss(input, firstLoss);
            ++lost;
        }
        *output++ = unit;
    }
    return lost;
}

// Byte pairs to units; surrogates are copied as they come, paired or not,
// which the UTF-16 writer reproduces exactly.
size_t decodeUtf16(bool bigEndian, const unsigned char*& input, const unsigned char* inputEnd, uchar*& output,
                   bool final, const unsigned char*& firstLoss)
{
    for (; inputEnd - input >= 2; input += 2) {
        *output++ = bigEndian ? static_cast<uchar>(input[0] << 8 | input[1])
                              : static_cast<uchar>(input[1] << 8 | input[0]);
    }
    if (input < inputEnd && final) {
        // Half a unit at the end of the file: nothing to make of it.
        noteLoss(input, firstLoss);
        ++input;
        return 1;
    }
    return 0;
}

size_t decodeChunkImpl(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                       const unsigned char* inputEnd, uchar*& output, size_t outputCapacity, bool final,
                       const unsigned char*& firstLoss)
{
    VASSERT(input <= inputEnd);
    if (input > inputEnd)
        return 0;
    VASSERT(outputCapacity >= static_cast<size_t>(inputEnd - input));
    if (outputCapacity < static_cast<size_t>(inputEnd - input)) {
        // Decode what fits; the rest stays for another call.
        inputEnd = input + outputCapacity;
        final = false;
    }

    if (encoding == kEncodingUndefined) {
        const unsigned char* scratchInput = input;
        uchar* scratchOutput = output;
        const ConversionResult result =
            convertUtf8ToUtf16(&scratchInput, inputEnd, &scratchOutput, output + (inputEnd - input), false);
        if (result == ConversionResult::conversionOk ||
            (result == ConversionResult::sourceExhausted && !final)) {
            encoding = kEncodingUtf8;
            input = scratchInput;
            output = scratchOutput;
            return 0;
        }
        encoding = fallback == kEncodingUndefined || fallback > kEncodingLast ? kEncodingWindows1252 : fallback;
        debugPrintf("Unable to auto detect encoding, using fallback encoding %s\n",
                    toUtf8(encodingName(encoding)).c_str());
        // Nothing was committed: the whole input is decoded again below.
    }

    if (isSingleByteEncoding(encoding))
        return decodeSingleByte(encoding, input, inputEnd, output, firstLoss);
    switch (encoding) {
    case kEncodingUtf16BE:
    case kEncodingUtf16BEWithBom:
        return decodeUtf16(true, input, inputEnd, output, final, firstLoss);
    case kEncodingUtf16LE:
    case kEncodingUtf16LEWithBom:
        return decodeUtf16(false, input, inputEnd, output, final, firstLoss);
    case kEncodingUtf8:
    case kEncodingUtf8WithBom:
        return decodeUtf8(input, inputEnd, output, final, firstLoss);
    default: {
        // Not an encoding: nothing can be decoded, and all of it is lost.
        const size_t lost = static_cast<size_t>(inputEnd - input);
        if (lost)
            noteLoss(input, firstLoss);
        input = inputEnd;
        return lost;
    }
    }
}

size_t decodeWithDetectionImpl(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                               const unsigned char* inputEnd, uchar*& output, size_t outputCapacity,
                               bool final, const unsigned char*& firstLoss)
{
    const size_t length = input < inputEnd ? static_cast<size_t>(inputEnd - input) : 0;
    encoding = detectEncoding(encoding, input, length);
    // Only a mark that is really there is skipped: a requested encoding with
    // a mark does not make the first bytes of a file without one disappear.
    input += bomLength(detectBom(input, length));
    return decodeChunkImpl(encoding, fallback, input, inputEnd, output, outputCapacity, final, firstLoss);
}

} // namespace

const ustring& encodingName(FileEncoding encoding)
{
    return encodingNames()[encoding <= kEncodingLast ? encoding : kNameCount - 1];
}

FileEncoding encodingFromName(const slate::usubstring& name)
{
    const ustring* names = encodingNames();
    for (FileEncoding id = 0; id <= kEncodingLast; ++id) {
        if (name.equalsNoCase(names[id]))
            return id;
    }
    return kEncodingUndefined;
}

bool isSingleByteEncoding(FileEncoding encoding)
{
    return encoding >= kEncodingFirstSingleByte && encoding <= kEncodingLastSingleByte;
}

bool encodingHasBom(FileEncoding encoding)
{
    return encoding == kEncodingUtf16BEWithBom || encoding == kEncodingUtf16LEWithBom ||
           encoding == kEncodingUtf8WithBom;
}

size_t bomLength(FileEncoding encoding)
{
    switch (encoding) {
    case kEncodingUtf16BEWithBom:
    case kEncodingUtf16LEWithBom:
        return 2;
    case kEncodingUtf8WithBom:
        return 3;
    default:
        return 0;
    }
}

std::string bomBytes(FileEncoding encoding)
{
    switch (encoding) {
    case kEncodingUtf16BEWithBom:
        return "\xFE\xFF";
    case kEncodingUtf16LEWithBom:
        return "\xFF\xFE";
    case kEncodingUtf8WithBom:
        return "\xEF\xBB\xBF";
    default:
        return std::string();
    }
}

FileEncoding detectBom(const unsigned char* bytes, size_t length)
{
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return kEncodingUtf16LEWithBom;
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return kEncodingUtf16BEWithBom;
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return kEncodingUtf8WithBom;
    return kEncodingUndefined;
}

FileEncoding detectEncoding(FileEncoding requested, const unsigned char* bytes, size_t length)
{
    const FileEncoding bom = detectBom(bytes, length);
    if (bom != kEncodingUndefined)
        return bom;
    // An id that names no encoding would decode nothing and leave an empty
    // buffer in place of the file; such a request is treated as "detect".
    if (requested != kEncodingUndefined && requested <= kEncodingLast)
        return requested;
    if (length < 6)
        return kEncodingUndefined;
    const bool evenZero = bytes[0] == 0 && bytes[2] == 0 && bytes[4] == 0;
    const bool evenSet = bytes[0] != 0 && bytes[2] != 0 && bytes[4] != 0;
    const bool oddZero = bytes[1] == 0 && bytes[3] == 0 && bytes[5] == 0;
    const bool oddSet = bytes[1] != 0 && bytes[3] != 0 && bytes[5] != 0;
    if (oddZero && evenSet)
        return kEncodingUtf16LE;
    if (oddSet && evenZero)
        return kEncodingUtf16BE;
    return kEncodingUndefined;
}

size_t decodeChunk(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                   const unsigned char* inputEnd, uchar*& output, size_t outputCapacity, bool final)
{
    const unsigned char* firstLoss = nullptr;
    return decodeChunkImpl(encoding, fallback, input, inputEnd, output, outputCapacity, final, firstLoss);
}

size_t decodeWithDetection(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                           const unsigned char* inputEnd, uchar*& output, size_t outputCapacity, bool final)
{
    const unsigned char* firstLoss = nullptr;
    return decodeWithDetectionImpl(encoding, fallback, input, inputEnd, output, outputCapacity, final,
                                   firstLoss);
}

size_t decodeWithDetection(const unsigned char* bytes, size_t length, uchar* output)
{
    FileEncoding encoding = kEncodingUndefined;
    const unsigned char* input = bytes;
    uchar* out = output;
    decodeWithDetection(encoding, kEncodingWindows1252, input, bytes + length, out, 2 * length, true);
    return static_cast<size_t>(out - output);
}

StreamDecoder::StreamDecoder(FileEncoding requested, FileEncoding fallback)
    : m_input(new unsigned char[kBufferSize]),
      m_output(new uchar[kBufferSize + 1]),
      m_outputEnd(m_output.get()),
      m_encoding(requested),
      m_fallback(fallback)
{
    *m_outputEnd = 0;
}

void StreamDecoder::reset(FileEncoding requested, FileEncoding fallback)
{
    m_outputEnd = m_output.get();
    *m_outputEnd = 0;
    m_kept = 0;
    m_first = true;
    m_encoding = requested;
    m_fallback = fallback;
    m_consumedBytes = 0;
    m_lostBytes = 0;
    m_firstLostByteOffset = 0;
}

void StreamDecoder::decode(size_t newBytes, bool final)
{
    VASSERT(newBytes <= inputSpaceSize());
    if (newBytes > inputSpaceSize())
        newBytes = inputSpaceSize();
    const unsigned char* input = m_input.get();
    const unsigned char* inputEnd = input + m_kept + newBytes;
    uchar* output = m_output.get();
    const unsigned char* firstLoss = nullptr;
    const size_t lost =
        m_first ? decodeWithDetectionImpl(m_encoding, m_fallback, input, inputEnd, output, kBufferSize, final,
                                          firstLoss)
                : decodeChunkImpl(m_encoding, m_fallback, input, inputEnd, output, kBufferSize, final, firstLoss);
    m_first = false;
    VASSERT(output <= m_output.get() + kBufferSize);
    *output = 0;
    m_outputEnd = output;

    if (lost) {
        if (m_lostBytes == 0)
            m_firstLostByteOffset = m_consumedBytes + static_cast<uint64_t>(firstLoss - m_input.get());
        m_lostBytes += lost;
    }
    const size_t consumed = static_cast<size_t>(input - m_input.get());
    m_kept = static_cast<size_t>(inputEnd - input);
    std::memmove(m_input.get(), input, m_kept);
    m_consumedBytes += consumed;
}

bool canEncode(FileEncoding encoding, uchar unit)
{
    if (isSingleByteEncoding(encoding)) {
        if (unit == 0)
            return true;
        const EncodingMap& map = filledEncodingMaps()[encoding];
        const auto found = map.find(unit);
        return found != map.end() && found->second != 0;
    }
    return encoding >= kEncodingUtf16BE && encoding <= kEncodingLast;
}

size_t encodeChunk(FileEncoding encoding, const uchar*& source, const uchar* sourceEnd,
                   unsigned char* destination, size_t capacity, bool final)
{
    unsigned char* out = destination;
    unsigned char* const outEnd = destination + capacity;
    if (isSingleByteEncoding(encoding)) {
        const EncodingMap& map = filledEncodingMaps()[encoding];
        for (; source < sourceEnd && out < outEnd; ++source) {
            const auto found = map.find(*source);
            *out++ = found != map.end() ? found->second : 0;
        }
        return static_cast<size_t>(out - destination);
    }
    switch (encoding) {
    case kEncodingUtf16BE:
    case kEncodingUtf16BEWithBom:
    case kEncodingUtf16LE:
    case kEncodingUtf16LEWithBom: {
        const bool bigEndian = encoding == kEncodingUtf16BE || encoding == kEncodingUtf16BEWithBom;
        for (; source < sourceEnd && outEnd - out >= 2; ++source) {
            const unsigned char high = static_cast<unsigned char>(*source >> 8);
            const unsigned char low = static_cast<unsigned char>(*source & 0xFF);
            *out++ = bigEndian ? high : low;
            *out++ = bigEndian ? low : high;
        }
        return static_cast<size_t>(out - destination);
    }
    case kEncodingUtf8:
    case kEncodingUtf8WithBom: {
        const ConversionResult result = convertUtf16ToUtf8(&source, sourceEnd, &out, outEnd, false);
        if (result == ConversionResult::sourceExhausted && final && outEnd - out >= 3) {
            // The lone high surrogate that ends the text, as its own sequence.
            const uchar unit = *source++;
            *out++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
            *out++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        }
        return static_cast<size_t>(out - destination);
    }
    default:
        return 0;
    }
}

void buildEncodingReverseMaps()
{
    filledEncodingMaps();
}
