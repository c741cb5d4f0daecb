// Undo keeps every erased text, so the buffer picks its storage by size:
// most erasures are a few characters and fit inside the object, medium ones
// get one exact allocation, and large ones (select all and delete, revert)
// are compressed once when recorded and expanded only when undone.
//
// The text is held as UTF-8 in a lenient form: a surrogate that is not part
// of a pair is encoded as the 3-byte sequence of its own value, and decoded
// back to the same unit. The editor's buffers may hold such units (a file
// decoded leniently, a half-pasted pair), and undo must restore exactly what
// was erased; the strict converters would turn such a text into nothing.
#include "ui/text/compact_character_buffer.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

#include "ui/log.h"
#include "ui/unicode.h"

namespace {

bool isHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string encodeLenient(const ustring& text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t value = text[i];
        if (isHighSurrogate(value) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        }
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (value >> 18));
            out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}

// The inverse of encodeLenient. Bytes it never produces (only a damaged block
// could hold them) become U+FFFD, one per byte, so decoding always ends.
ustring decodeLenient(const char* begin, const char* end)
{
    ustring out;
    out.reserve(static_cast<size_t>(end - begin));
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    while (p < stop) {
        const Utf8Sequence sequence = decodeUtf8Sequence(p, stop, true);
        if (sequence.status != Utf8Status::valid) {
            out += u'\xFFFD';
            ++p;
            continue;
        }
        uint32_t value = sequence.codePoint;
        if (value < 0x10000) {
            out += static_cast<uchar>(value);
        } else {
            value -= 0x10000;
            out += static_cast<uchar>(0xD800 + (value >> 10));
            out += static_cast<uchar>(0xDC00 + (value & 0x3FF));
        }
        p += sequence.length;
    }
    return out;
}

} // namespace

CompactCharacterBuffer::CompactCharacterBuffer(const ustring& text)
{
    const std::string bytes = encodeLenient(text);
    const size_t n = bytes.size();
    if (n <= kInlineBytes) {
        if (n)
            std::memcpy(m_inline, bytes.data(), n);
        m_length = static_cast<uint32_t>(n);
        return;
    }
    if (n < kCompressFromBytes) {
        m_heap.rawSize = -1;
        m_heap.block = new char[n];
        std::memcpy(m_heap.block, bytes.data(), n);
        m_length = static_cast<uint32_t>(n);
        return;
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(n));
    std::vector<Bytef> working(compressedSize);
    if (compress(working.data(), &compressedSize, reinterpret_cast<const Bytef*>(bytes.data()),
                 static_cast<uLong>(n)) != Z_OK) {
        VASSERT(0 && "Unable to compress");
    }
    m_heap.rawSize = static_cast<int32_t>(n);
    m_heap.block = new char[compressedSize];
    std::memcpy(m_heap.block, working.data(), compressedSize);
    m_length = static_cast<uint32_t>(compressedSize);
}

CompactCharacterBuffer::CompactCharacterBuffer(const CompactCharacterBuffer& other) { copyFrom(other); }

CompactCharacterBuffer::CompactCharacterBuffer(CompactCharacterBuffer&& other) noexcept
{
    m_length = other.m_length;
    std::memcpy(&m_heap, &other.m_heap, sizeof(m_heap));
    other.m_length = 0;
}

CompactCharacterBuffer& CompactCharacterBuffer::operator=(const CompactCharacterBuffer& other)
{
    if (this != &other) {
        release();
        copyFrom(other);
    }
    return *this;
}

CompactCharacterBuffer& CompactCharacterBuffer::operator=(CompactCharacterBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_length = other.m_length;
        std::memcpy(&m_heap, &other.m_heap, sizeof(m_heap));
        other.m_length = 0;
    }
    return *this;
}

CompactCharacterBuffer::~CompactCharacterBuffer() { release(); }

void CompactCharacterBuffer::clear() { release(); }

void CompactCharacterBuffer::release()
{
    if (m_length > kInlineBytes)
        delete[] m_heap.block;
    m_length = 0;
}

void CompactCharacterBuffer::copyFrom(const CompactCharacterBuffer& other)
{
    if (other.m_length <= kInlineBytes) {
        std::memcpy(m_inline, other.m_inline, other.m_length);
    } else {
        m_heap.block = new char[other.m_length];
        std::memcpy(m_heap.block, other.m_heap.block, other.m_length);
        m_heap.rawSize = other.m_heap.rawSize;
    }
    m_length = other.m_length;
}

CompactCharacterBuffer::Storage CompactCharacterBuffer::storage() const
{
    if (m_length <= kInlineBytes)
        return Storage::Inline;
    return m_heap.rawSize < 0 ? Storage::Heap : Storage::Compressed;
}

ustring CompactCharacterBuffer::text() const
{
    if (m_length <= kInlineBytes)
        return decodeLenient(m_inline, m_inline + m_length);
    if (m_heap.rawSize < 0)
        return decodeLenient(m_heap.block, m_heap.block + m_length);
    std::string bytes(static_cast<size_t>(m_heap.rawSize), '\0');
    uLongf produced = static_cast<uLongf>(bytes.size());
    if (uncompress(reinterpret_cast<Bytef*>(&bytes[0]), &produced, reinterpret_cast<const Bytef*>(m_heap.block),
                   m_length) != Z_OK) {
        VASSERT(0 && "Unable to decompress");
    }
    bytes.resize(produced);
    return decodeLenient(bytes.data(), bytes.data() + bytes.size());
}
