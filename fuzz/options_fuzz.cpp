// Options text: parsed, written back and parsed again gives the same text,
// up to the blank lines at its end (each save drops one; nothing is lost).
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/options.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(options)
{
    slate::SP<Options> options(new Options);
    options->parse(toUstring(fuzzBytes(data, size)));
    const ustring written = options->serialise();
    slate::SP<Options> again(new Options);
    again->parse(written);
    auto trimmed = [](ustring text) {
        while (!text.empty() && text.back() == u'\n')
            text.pop_back();
        return text;
    };
    if (trimmed(again->serialise()) != trimmed(written))
        std::abort();
    return 0;
}
