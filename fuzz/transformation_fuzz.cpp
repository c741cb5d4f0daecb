// Substitution lists ("s/pattern/format/options; ..."), as symbol and snippet
// transformations give them: parsed, compiled and applied to a sample text,
// with each format also in the rewritten form. Only boost::regex_error may
// come out, as only that is caught by the callers. The input is UTF-16; a
// format is applied only when it is well-formed, as the property lists the
// lists come from always are (Boost's replace throws std::out_of_range for
// an unpaired surrogate in the format or the text). Applying a pattern may
// also end in the library's std::runtime_error for a match too complex to
// finish, which is not a fault of the list.
#include <stdexcept>
#include <vector>

#include "fuzz_target.h"
#include "ui/text/util/regex_utils.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(transformation)
{
    const ustring text = fuzzUnits(data, size);
    static const ustring kSample = u"  void  fooBar(int x, char* y) // \u00e9t\u00e9 \U0001F600\nnext_line\t{}";
    try {
        std::vector<RegexTransform> transforms;
        parseTransformation(slate::usubstring(text), transforms);
        for (const RegexTransform& transform : transforms) {
            const uchar* formatEnd = transform.format.data() + transform.format.size();
            if (findUnpairedSurrogate(transform.format.data(), formatEnd) != formatEnd)
                continue;
            try {
                regexReplace(kSample, transform.regex, transform.format, transform.flags);
                regexReplace(kSample, transform.regex, rewriteFormatString(transform.format), transform.flags);
            } catch (const std::runtime_error&) {
            }
        }
    } catch (const boost::regex_error&) {
    }
    return 0;
}
