// Command lines split into words.
#include <vector>

#include "fuzz_target.h"
#include "ui/parse_strings.h"

VANTREL_FUZZ_TARGET(parse_strings)
{
    const ustring text = fuzzUnits(data, size);
    std::vector<ustring> words;
    parseStrings(text.data(), text.data() + text.size(), words);
    return 0;
}
