// Set-up shared by the benchmarks.
#pragma once

#include "support/scratch_folder.h"
#include "ui/text/syntax/syntax_loader.h"

namespace bench_support {

// The C grammar, loaded once for the whole benchmark program. It is read
// from a copy of tests/data/grammars/c.tmLanguage in a scratch folder, so
// that its cache file stays out of the tree.
inline slate::SP<Syntax> cSyntax()
{
    static slate::SP<Syntax> s_syntax = [] {
        test_support::ScratchFolder folder("vantrel-bench-grammar");
        const ustring copy = folder.write(
            "c.tmLanguage", test_support::readFile(test_support::dataPath("grammars/c.tmLanguage")));
        static SyntaxLoader loader;
        return loader.loadSyntax(copy);
    }();
    return s_syntax;
}

} // namespace bench_support
