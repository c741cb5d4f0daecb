// Builds command lines from words, the inverse of parseStrings: undo groups
// are named by the command line that made them, and a recorded macro replays
// those names, so every generated line must split back into the same words.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/ustring.h"

// `name`, a blank and `argument` in double quotes (escaped by escapeString).
// The name of the group of a command with one text argument.
ustring makeCommandLine(const slate::usubstring& name, const slate::usubstring& argument);

// arguments[first] unchanged, then each later argument as a blank and the
// argument in escaped double quotes. The command name is taken as written,
// so it must be a plain word. Empty when `first` is past the end.
ustring joinCommandLine(const std::vector<slate::usubstring>& arguments, size_t first = 0);

// Every argument, the first included, in escaped double quotes, separated by
// single blanks; for commands whose every word may hold any text.
ustring quoteCommandLine(const std::vector<slate::usubstring>& arguments);
