// UTF-8 and UTF-16 conversion: the strict forms round-trip whatever they
// accept, the sequence reader agrees with the standard's table, and the
// lenient UTF-16 form never fails on lone surrogates.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/unicode.h"

namespace {

// The well-formed code point of `p[0..length)`, or -1: decoded by the
// definition (shortest form, not a surrogate, at most U+10FFFF).
long referenceDecode(const unsigned char* p, int length)
{
    static const unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static const long kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    const unsigned char lead = p[0];
    const int expected = lead < 0x80 ? 1 : lead >= 0xC0 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                        : lead >= 0xF0 && lead < 0xF8 ? 4 : 0;
    if (expected != length)
        return -1;
    long value = lead & kLeadMask[length];
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return -1;
        value = value << 6 | (p[i] & 0x3F);
    }
    if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return -1;
    return value;
}

} // namespace

VANTREL_FUZZ_TARGET(unicode)
{
    const std::string bytes = fuzzBytes(data, size);
    const ustring text = toUstring(bytes);
    if (!text.empty() && toUtf8(text) != bytes)
        std::abort();

    for (size_t i = 0; i < size;) {
        const Utf8Sequence sequence = decodeUtf8Sequence(data + i, data + size);
        if (sequence.status == Utf8Status::valid &&
            referenceDecode(data + i, sequence.length) != static_cast<long>(sequence.codePoint))
            std::abort();
        if (sequence.status == Utf8Status::incomplete && i + sequence.length != size)
            std::abort();
        i += sequence.status == Utf8Status::valid ? sequence.length : 1;
    }

    const ustring units = fuzzUnits(data, size);
    std::string narrow(units.size() * 3 + 1, '\0');
    const uchar* source = units.data();
    auto* target = reinterpret_cast<unsigned char*>(&narrow[0]);
    const ConversionResult result = convertUtf16ToUtf8(&source, units.data() + units.size(), &target,
                                                       target + narrow.size(), false);
    // Only a high surrogate at the very end may be left.
    if (result != ConversionResult::conversionOk &&
        !(result == ConversionResult::sourceExhausted && source + 1 == units.data() + units.size()))
        std::abort();
    const std::string strict = toUtf8(units);
    if (!strict.empty() && toUstring(strict) != units)
        std::abort();
    return 0;
}
