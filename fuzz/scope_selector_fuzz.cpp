// Scope selectors: the first line is the selector, the second the scope it
// is matched against.
#include "fuzz_target.h"
#include "ui/text/parse_exception.h"
#include "ui/text/syntax/scope_selector.h"

VANTREL_FUZZ_TARGET(scope_selector)
{
    const ustring text = fuzzUnits(data, size);
    const size_t split = text.find(u'\n');
    const ustring selector = text.substr(0, split);
    const ustring scope = split == ustring::npos ? ustring(u"source.c meta.block") : text.substr(split + 1);
    CompiledSelector compiled;
    try {
        compiled = compileSelector(slate::usubstring(selector.data(), selector.data() + selector.size()));
    } catch (const ParseException&) {
        return 0; // refused, as broken text should be
    }
    const slate::usubstring scopeText(scope.data(), scope.data() + scope.size());
    matchNameStack(compiled, scopeText);
    selectorMatches(compiled, scopeText);
    return 0;
}
