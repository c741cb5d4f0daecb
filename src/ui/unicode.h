// Conversions between UTF-16 and UTF-8. The whole-string forms are strict:
// malformed input of any kind gives the empty string, never a partial result.
// The range forms report how far they got, and offer a lenient mode (used by
// the file decoders) that encodes unpaired surrogates on their own.
#pragma once

#include <cstdint>
#include <string>

#include "ui/ustring.h"

enum class ConversionResult {
    conversionOk,
    sourceExhausted, // the input ends inside a character, well-formed so far
    targetExhausted, // no room for the next character
    sourceIllegal,
};

// What decodeUtf8Sequence found.
enum class Utf8Status {
    valid,      // a well-formed sequence
    incomplete, // the bytes end inside a sequence that is well-formed so far
    invalid,    // not the start of a well-formed sequence
};

struct Utf8Sequence {
    Utf8Status status;
    // valid: the sequence's length, 1 to 4; incomplete: the bytes present;
    // invalid: 1, the byte to step over.
    int length;
    uint32_t codePoint; // only when valid
};

// Reads the UTF-8 sequence that starts at `p` (before `end`), never at or past
// `end`. Well-formed is the Unicode Standard's table: a lead byte 00..7F or
// C2..F4, and every continuation byte in 80..BF, the second one narrower
// after E0 (A0..BF), ED (80..9F), F0 (90..BF) and F4 (80..8F), which leaves
// out overlong forms, encoded surrogates and everything above U+10FFFF. With
// `allowSurrogates` an encoded surrogate (ED A0..BF 80..BF, as the lenient
// UTF-16 conversion writes a lone one) is valid too. Every UTF-8 reader in
// the program decides what is well-formed through this function.
Utf8Sequence decodeUtf8Sequence(const unsigned char* p, const unsigned char* end, bool allowSurrogates = false);

// Both cursors are left after the last character converted.
ConversionResult convertUtf16ToUtf8(const uchar** sourceStart, const uchar* sourceEnd,
                                    unsigned char** targetStart, unsigned char* targetEnd,
                                    bool strict);
ConversionResult convertUtf8ToUtf16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                                    uchar** targetStart, uchar* targetEnd, bool strict);
// True when the `length` bytes at `source` (1 to 4) form one well-formed
// UTF-8 sequence.
bool isLegalUtf8(const unsigned char* source, int length);

// The first surrogate unit in [begin, end) that is not part of a high-low
// pair, or `end` when the text is well-formed UTF-16 (only such text has a
// UTF-8 or UTF-32 form).
const uchar* findUnpairedSurrogate(const uchar* begin, const uchar* end);

std::string utf16ToUtf8(const uchar* begin, const uchar* end);
ustring utf8ToUtf16(const char* begin, const char* end);

std::string toUtf8(const ustring& text);
std::string toUtf8(const uchar* nulTerminated);
std::string toUtf8(const slate::usubstring& text);
// For text that must reach a file whatever it holds (line files, XML
// settings): like toUtf8, except that each unpaired surrogate becomes U+FFFD
// instead of the whole result becoming empty. U+FFFD rather than the
// surrogate's own three bytes, because those are not well-formed UTF-8: the
// program's readers and TinyXML would then refuse the whole file, where
// U+FFFD costs only the one unit that had no character to begin with.
std::string toUtf8Replacing(const slate::usubstring& text);
inline std::string toUtf8Replacing(const ustring& text)
{
    return toUtf8Replacing(slate::usubstring(text.data(), text.data() + text.size()));
}
ustring toUstring(const char* nulTerminated);
ustring toUstring(const std::string& text);
ustring toUstring(const slate::substring& text);
