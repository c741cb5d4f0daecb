// Splits a command line into words. Command lines address every command (key
// maps, menus, macros, toolbar, plug-ins, the program's own command line), so
// these quoting rules are part of every file format that holds commands.
#pragma once

#include <vector>

#include "ui/ustring.h"

// Appends the words of `text` to `words`. Words are separated by blanks and
// TABs. A double- or single-quoted part is a word of its own (blanks and the
// other quote kept); a backslash escapes the next unit, with \n giving LF and
// \t TAB, inside and outside quotes. An unclosed quote keeps its text; a
// backslash at the very end is dropped. Write a word back with
// escapeString inside double quotes. Any thread.
void parseStrings(const slate::usubstring& text, std::vector<ustring>& words);
void parseStrings(const uchar* begin, const uchar* end, std::vector<ustring>& words);
