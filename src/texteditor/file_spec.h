// File specs as the command line and the find results name files: a path,
// optionally followed by ":" and a 1-based line, or by a line and a column
// each after a ":". A one-letter first part is a drive letter ("C:\a.txt").
#pragma once

#include <cstdint>

#include "ui/ustring.h"

struct FileSpec {
    ustring path;
    int32_t line = 0;   // 1-based; 0 when none was given
    int32_t column = 0; // 1-based; 0 when none was given
};

// Splits `spec`. Parts after the path that are not numbers stay in the path
// ("notes:draft.txt" is one name).
FileSpec parseFileSpec(const ustring& spec);
