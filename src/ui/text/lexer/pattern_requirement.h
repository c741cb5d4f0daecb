// What a grammar pattern needs of a line before it can match there. Most
// patterns of a context match nothing on most lines, and many can only match
// where some character appears ("'''" needs a quote, a call needs "("): when
// the rest of the line has none of those characters, the regex engine need
// not be asked at all.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

// A set of characters: each ASCII character but NUL by its own bit, and one
// bit (that of NUL) for NUL and every character outside ASCII.
struct CharacterSet {
    uint64_t low = 0;  // characters 0 to 63
    uint64_t high = 0; // characters 64 to 127

    static constexpr uchar kOutsideAscii = 0;

    void add(uchar c)
    {
        if (c >= 128)
            c = kOutsideAscii;
        if (c < 64)
            low |= uint64_t(1) << c;
        else
            high |= uint64_t(1) << (c - 64);
    }
    void add(const CharacterSet& other)
    {
        low |= other.low;
        high |= other.high;
    }
    bool contains(uchar c) const
    {
        if (c >= 128)
            c = kOutsideAscii;
        return c < 64 ? (low >> c) & 1 : (high >> (c - 64)) & 1;
    }
    bool intersects(const CharacterSet& other) const
    {
        return (low & other.low) != 0 || (high & other.high) != 0;
    }
    bool empty() const { return low == 0 && high == 0; }
};

// Sets of characters of which every match of a pattern holds at least one
// each, at or after the place where the match begins: in the match itself or
// in text a look-ahead reads. So a search that, from its start to the text's
// end, misses all characters of any one set cannot match.
struct RequiredCharacters {
    static constexpr int kMost = 4;
    CharacterSet sets[kMost]; // the ones a line is least likely to hold first
    int count = 0;

    // Whether `present` holds a character of every set.
    bool heldBy(const CharacterSet& present) const
    {
        for (int i = 0; i < count; ++i) {
            if (!present.intersects(sets[i]))
                return false;
        }
        return true;
    }
};

// Finds such sets for `pattern` (compiled with the engine's default syntax,
// as grammar patterns are), at most RequiredCharacters::kMost, those a line
// of source text is least likely to hold. False, with `required` empty, when
// none is known (a pattern that can match the empty string, or one this
// reading does not follow).
bool findRequiredCharacters(const slate::usubstring& pattern, RequiredCharacters& required);
