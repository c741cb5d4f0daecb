// The pair of brackets around a caret, which a view highlights. The search
// walks the token storage's characters outward from the caret, a bounded
// number of units each way, so its cost per frame is bounded however large
// the text is. Brackets inside strings and comments count like any others.
#pragma once

#include <cstdint>

#include "ui/text/selection_region.h"

class TokenStorage;

// The bracket kinds a buffer matches, as bits of its setting.
constexpr uint32_t kMatchParentheses = 1;
constexpr uint32_t kMatchSquareBrackets = 2;
constexpr uint32_t kMatchBraces = 4;
constexpr uint32_t kMatchAngleBrackets = 8;

// The limit a view uses for a single caret.
constexpr int32_t kBracketSearchLimit = 4000;

// The region from an opening bracket to just after its closing partner: the
// pair of one of the `matchBrackets` kinds that encloses `position` or
// touches it (a bracket right after the caret, else one right before it, is
// the one matched), or (0, 0) when there is none within `searchLimit` units
// each way. `position` is clamped into the text; `searchLimit` must be
// positive (an assertion). Backs TextBuffer::findMatchingBracket.
SelectionRegion findMatchingBracket(TokenStorage& storage, int64_t position, int32_t searchLimit,
                                    uint32_t matchBrackets);
