// Rewrites grammar patterns into equivalent forms the regex engine searches
// faster. Grammars list keywords as long alternations of words
// ("(?:accent-color|additive-symbols|align-content|...)"), which the engine
// tries one word after another at every place it looks; factored into a tree
// of shared prefixes ("a(?:ccent-color|dditive-symbols|lign-content)") it
// tries one character per branch instead.
#pragma once

#include "ui/ustring.h"

// Factors the common prefixes of every run of plain ASCII literal
// alternatives in the groups of `pattern` (a whole group of them, or a run
// among other alternatives, which becomes a non-capturing group in its
// place), keeping exactly what the pattern matches, in which order
// alternatives are tried, and how its groups are numbered.
// Groups it cannot prove safe to factor are left alone. Returns false (and
// leaves `rewritten` alone) when nothing changed.
bool factorLiteralAlternatives(const slate::usubstring& pattern, ustring& rewritten);
