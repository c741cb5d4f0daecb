// The token record: one interned run of text with its scope, shared by every
// place in a buffer where the same text was lexed the same way. Records are
// allocated from their storage's arena and never freed one by one, so the
// token tree and everything else hold them by plain pointer.
//
// So far the record carries what the token tree counts: its text and its
// spelling mark. The lexer's scope and line-start state and the cached width
// join it when the storage interns records.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

struct Token {
    // The token's text, followed in memory by one zero unit. Never changes.
    const uchar* begin;
    const uchar* end;
    // 1 = spelled correctly or not subject to checking; 0 = misspelled.
    // Rewritten in place when the dictionary changes; the tree's misspelled
    // sums must then be recounted by whoever rewrites it.
    uint8_t spellingOk;

    // Length in UTF-16 code units.
    int64_t length() const { return end - begin; }
    // Every line break of the text is a token of its own holding exactly one
    // U+000A, and no other token holds one.
    bool isLineBreak() const { return begin != end && *begin == u'\n'; }
    bool isMisspelled() const { return spellingOk == 0; }
};
