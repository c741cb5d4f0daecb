// The text form of lexed tokens that the lexdump tool prints and other tools
// read: one line per token, four fields separated by tabs,
//
//     ROW  START  END  SCOPES
//
// ROW is the 1-based row; START and END are UTF-16 offsets within the row
// (START counted from 0, END one past the token's last unit); SCOPES are the
// token's scope names from outermost to innermost, separated by single
// blanks. Line breaks are not tokens of the dump. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/text/lexer/lexer.h"
#include "ui/ustring.h"

// The text of a file as the text model holds it: the UTF-8 `bytes` decoded, a
// leading byte-order mark dropped and every line break (CR LF, CR or LF) made
// one LF. False, with `text` empty, when the bytes are not well-formed UTF-8.
bool decodeDumpText(const std::string& bytes, ustring& text);

// The lines of `text`, each from its first unit to just past its LF; the last
// one has no LF when the text does not end with one. An empty text has no
// lines, and a final LF ends the last line rather than starting an empty one
// (so "a\nb\n" has two). Views into `text`, which must outlive them.
std::vector<slate::usubstring> splitRows(const ustring& text);

// A scope string as the scope pools keep it (names innermost first, each
// followed by a blank) as the dump writes it: outermost first, single blanks
// between, in UTF-8.
std::string scopeNamesOutermostFirst(const slate::usubstring& scopeText);

// Appends the dump lines of the tokens that lexing `row` gave, `rowNumber`
// counted from 1. Tokens that hold only the row's LF are left out, and a
// token reaching into it is cut before it; empty tokens are left out.
void appendTokenDump(std::string& out, int64_t rowNumber, const slate::usubstring& row,
                     const std::vector<LexedToken>& tokens);
