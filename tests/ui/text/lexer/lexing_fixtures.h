// The lexing fixtures: real grammars and sample files from the test data,
// for the reference comparison.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// A sample file of the test data (tests/data/lexing) and the scope name of
// the grammar that lexes it.
struct Sample {
    const char* file;
    const char16_t* rootScope;
};

inline const Sample kSamples[] = {
    {"xtranslcl.c", u"source.c"},
    {"death_test.h", u"source.cpp"},
    {"random_device.cpp", u"source.cpp"},
    {"test_gyp.py", u"source.python"},
    {"docs_index.js", u"source.js"},
    {"package.json", u"source.json"},
    {"npm_install_ci_test.html", u"text.html.basic"},
    {"maven_settings.xml", u"text.xml"},
    {"npm_ci.md", u"text.html.markdown"},
    {"apt_postgresql.sh", u"source.shell"},
    {"style.css", u"source.css"},
    {"example.yaml", u"source.yaml"},
    {"system_constraints.sql", u"source.sql"},
    {"proxy.go", u"source.go"},
    {"debian_packaging.mk", u"source.makefile"},
};

// A test suite that shares one folder of the real grammars among its tests.
class GrammarSuite : public testing::Test {
protected:
    static void SetUpTestSuite() { s_grammars = new GrammarFolder; }
    static void TearDownTestSuite()
    {
        delete s_grammars;
        s_grammars = nullptr;
    }
    static inline GrammarFolder* s_grammars = nullptr;
};

} // namespace lexing_fixtures
