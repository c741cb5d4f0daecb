// The fixture grammars' patterns and the fixture samples' lines, for tests
// that check a reading of patterns against what the engine finds.
#pragma once

#include <any>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/fixture_grammars.h"
#include "ui/text/lexer/plist.h"
#include "ui/unicode.h"

namespace pattern_corpus {

inline void collectPatterns(const PlistValue& value, std::vector<ustring>& patterns)
{
    if (const PlistDict* dict = std::any_cast<PlistDict>(&value)) {
        for (const auto& [key, child] : *dict) {
            const ustring* text = std::any_cast<ustring>(&child);
            if (text && (key == u"match" || key == u"begin" || key == u"end"))
                patterns.push_back(*text);
            else
                collectPatterns(child, patterns);
        }
    } else if (const PlistArray* array = std::any_cast<PlistArray>(&value)) {
        for (const PlistValue& child : *array)
            collectPatterns(child, patterns);
    }
}

// Every "match", "begin" and "end" pattern of the fixture grammars.
inline std::vector<ustring> fixturePatterns()
{
    std::vector<ustring> patterns;
    for (const std::filesystem::path& file : test_support::fixtureGrammarFiles()) {
        PlistValue grammar;
        loadPlist(toUstring(file.string()), grammar, false);
        collectPatterns(grammar, patterns);
    }
    return patterns;
}

// Every line of the fixture samples, with its line feed, and a few lines of
// characters that fold into ASCII letters without case.
inline std::vector<ustring> sampleLines()
{
    std::vector<ustring> lines = {u"\u00df \ufb01x \ufb06 \u212a stra\u00dfe\n", u"ALL all aLl\n"};
    const std::filesystem::path folder = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "lexing";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".jsonl" || entry.path().extension() == ".md")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(toUstring(line + "\n"));
    }
    return lines;
}

} // namespace pattern_corpus
