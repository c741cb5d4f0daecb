// Wildcard filters: lines of patterns ("-" first excludes), then the name
// after a blank line.
#include "fuzz_target.h"
#include "ui/wildcard_filter.h"

VANTREL_FUZZ_TARGET(wildcard_filter)
{
    const ustring text = fuzzUnits(data, size);
    WildcardFilter filter;
    size_t start = 0;
    ustring name;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == ustring::npos)
            end = text.size();
        const ustring line = text.substr(start, end - start);
        if (line.empty()) {
            name = text.substr(end < text.size() ? end + 1 : end);
            break;
        }
        if (line[0] == u'-')
            filter.addExclude(line.substr(1));
        else
            filter.addInclude(line);
        start = end + 1;
    }
    filter.matches(name);
    return 0;
}
