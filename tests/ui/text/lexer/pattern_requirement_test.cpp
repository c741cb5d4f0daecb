#include "ui/text/lexer/pattern_requirement.h"

#include <any>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/plist.h"
#include "ui/unicode.h"

namespace {

std::string describe(const CharacterSet& set)
{
    std::string text;
    for (unsigned c = 0; c < 128; ++c) {
        if (!set.contains(static_cast<uchar>(c)))
            continue;
        if (c == CharacterSet::kOutsideAscii)
            text += "<other>";
        else if (c < 32)
            text += "<" + std::to_string(c) + ">";
        else
            text += static_cast<char>(c);
    }
    return text;
}

struct Case {
    const char16_t* pattern;
    const char* expected; // the set, null when none is known
};

TEST(PatternRequirement, FindsTheCharactersEveryMatchNeeds)
{
    const Case cases[] = {
        {u"'''|\"\"\"", "\"'"},
        {u"(?<=[\\])])\\s*(?=\\()", "("}, // a look-ahead's text counts
        {u"\\b(def)\\s+(?=\\w+\\()", "("},
        {u"#.*$", "#"},
        {u"a+", "a"},
        {u"x{2,3}", "x"},
        {u"(?:ab|cd)e?", "ac"},
        {u"[,;]", ",;"},
        {u"[0-3]", "0123"},
        {u"\\.\\.\\.", "."},
        {u"\\x{2E}|\\t", "<9>."},
        {u"(?i)q", "<other>Qq"},
        {u"(?i:q)|z", "<other>Qqz"},
        {u"\u20ac", "<other>"},
        {u"(?x) \\( # a comment ( \n", "("},
        {u"a(?i)b|c", "a"}, // the option group takes "b|c"
        {u"(?<name>@)", "@"},
        {u"x??", nullptr},
        {u"x*", nullptr},
        {u"x{0,2}", nullptr},
        {u"x{,2}", nullptr},
        {u"(?<=a)b|c", "bc"},
        {u"(?<=@)", nullptr}, // a look-behind may read before the search start
        {u"(?!@)x", "x"},
        {u"(@|)", nullptr},
        {u"[^a]", nullptr},
        {u"[a[b]]", nullptr},
        {u"[a-z&&b]", nullptr},
        {u"\\1", nullptr},
        {u"(a)\\12", "a"},
        {u"\\p{Lu}", nullptr},
        {u"(?i)\u00e9", nullptr}, // may fold into ASCII
        {u"x{", nullptr},
        {u"(?(1)a|b)", nullptr},
        {u"", nullptr},
        {u"a)", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.pattern));
        CharacterSet set;
        const bool found = findRequiredCharacters(slate::usubstring(c.pattern), set);
        if (!c.expected) {
            EXPECT_FALSE(found) << describe(set);
            EXPECT_TRUE(set.empty());
        } else {
            ASSERT_TRUE(found);
            EXPECT_EQ(describe(set), c.expected);
        }
    }
}

void collectPatterns(const PlistValue& value, std::vector<ustring>& patterns)
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

// Every match of every fixture grammar pattern on every sample line holds
// one of the characters found for the pattern, at or after its start.
TEST(PatternRequirement, FixtureGrammarMatchesHoldTheirCharacters)
{
    std::vector<ustring> patterns;
    const std::filesystem::path root(VANTREL_FIXTURES_DIR);
    for (const auto& entry : std::filesystem::directory_iterator(root / "grammars")) {
        if (entry.path().extension() != ".tmLanguage")
            continue;
        PlistValue grammar;
        loadPlist(toUstring(entry.path().string()), grammar, false);
        collectPatterns(grammar, patterns);
    }
    std::vector<ustring> lines = {u"\u00df \ufb01x \ufb06 \u212a stra\u00dfe\n", u"ALL all aLl\n"};
    for (const auto& entry : std::filesystem::directory_iterator(root / "lexing")) {
        if (entry.path().extension() == ".jsonl" || entry.path().extension() == ".md")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(toUstring(line + "\n"));
    }

    MatchRegion region;
    int withSet = 0;
    for (const ustring& pattern : patterns) {
        CharacterSet set;
        if (!findRequiredCharacters(slate::usubstring(pattern), set))
            continue;
        slate::SP<OnigRegexRef> regex;
        try {
            regex = onigScanner().compile(pattern);
        } catch (const oniguruma::regex_error&) {
            continue;
        }
        ++withSet;
        for (const ustring& line : lines) {
            const uchar* begin = line.data();
            const uchar* end = begin + line.size();
            for (const uchar* start = begin; start <= end;) {
                if (!onigScanner().search(*regex, start, end, begin, end, region, true))
                    break;
                const uchar* matchBegin = begin + region.begin(0);
                bool holds = false;
                for (const uchar* p = matchBegin; p != end && !holds; ++p)
                    holds = set.contains(*p);
                ASSERT_TRUE(holds) << toUtf8(pattern) << " needs " << describe(set) << " on "
                                   << toUtf8(line);
                start = std::max(begin + region.end(0), matchBegin + 1);
            }
        }
    }
    EXPECT_GT(withSet, 1000);
}

} // namespace
