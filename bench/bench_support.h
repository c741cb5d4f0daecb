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

// The lines the benchmarks' C text cycles through, 28 units on average.
inline const char16_t* const kCLines[] = {
    u"int main(int argc) {\n",
    u"    x = f(y, 2) + z;\n",
    u"    /* note */ if (a) b++;\n",
    u"    printf(\"%d\\n\", x);\n",
    u"}\n",
};
inline constexpr int kCLineCount = 5;

} // namespace bench_support
