// Conversions between UTF-16 and UTF-8. The whole-string forms are strict:
// malformed input of any kind gives the empty string, never a partial result.
// The range forms report how far they got, and offer a lenient mode (used by
// the file decoders) that encodes unpaired surrogates on their own.
#pragma once

#include <string>

#include "ui/ustring.h"

enum ConversionResult {
    conversionOk = 0,
    sourceExhausted = 1, // the input ends inside a character
    targetExhausted = 2, // no room for the next character
    sourceIllegal = 3,
};

// Both cursors are left after the last character converted.
ConversionResult convertUtf16ToUtf8(const uchar** sourceStart, const uchar* sourceEnd,
                                    unsigned char** targetStart, unsigned char* targetEnd,
                                    bool strict);
ConversionResult convertUtf8ToUtf16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                                    uchar** targetStart, uchar* targetEnd, bool strict);
// True when the `length` bytes at `source` (1 to 4) form one well-formed
// UTF-8 sequence.
bool isLegalUtf8(const unsigned char* source, int length);

std::string utf16ToUtf8(const uchar* begin, const uchar* end);
ustring utf8ToUtf16(const char* begin, const char* end);

std::string toUtf8(const ustring& text);
std::string toUtf8(const uchar* nulTerminated);
std::string toUtf8(const slate::usubstring& text);
ustring toUstring(const char* nulTerminated);
ustring toUstring(const std::string& text);
ustring toUstring(const slate::substring& text);
