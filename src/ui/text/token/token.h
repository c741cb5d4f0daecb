// The token record: one interned run of text with its scope and the lexer
// state its line began in, shared by every place in a buffer where the same
// text was lexed the same way. Records are allocated from their storage's
// arena and never freed one by one, so the token tree and everything else
// hold them by plain pointer.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

struct ScopeRecord;
struct LexerState;

struct Token {
    // The token's text, followed in memory by one zero unit. Never changes.
    const uchar* begin;
    const uchar* end;
    // The token's full scope, interned in its syntax's compiled lexer; null
    // only in tokens built by hand for tests of the tree.
    const ScopeRecord* scope;
    // The lexer state at the start of the line the token was lexed in: the
    // same for every token of a line, and where re-lexing that line starts.
    // Null in a token not lexed yet (text appended without lexing, which
    // lies after an invalid point); such a token has the grammar's own scope.
    LexerState* state;
    // Pixel width of the text in the storage's current font (0 for a token
    // that starts with a tab, which layout widens to its tab stop). Only
    // meaningful while the storage has a font.
    float width;
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
