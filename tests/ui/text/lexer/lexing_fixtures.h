// The lexing fixtures: real grammars and sample files from the test data,
// for the reference comparison.
#pragma once

#include <string>
#include <vector>

#include "support/fixture_grammars.h"
#include "support/scratch_folder.h"
#include "ui/unicode.h"

namespace lexing_fixtures {

using test_support::GrammarFolder;
using test_support::readFile;

// The text split into lines, each with its line feed (the last one may have
// none).
inline std::vector<ustring> splitLines(const ustring& text)
{
    std::vector<ustring> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(u'\n', begin);
        end = end == ustring::npos ? text.size() : end + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

} // namespace lexing_fixtures
