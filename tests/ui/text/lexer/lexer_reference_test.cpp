// Lexes every sample file of the lexing fixtures with the fixture grammars
// and compares the scope list of every character with the tokens that a
// widely used TextMate tokenizer produced for the same file. Token
// boundaries are not compared (ours are cut further, into words and single
// brackets); scope lists are. The differences that remain are the places
// where our grammar model deliberately differs; they are listed below, each
// for one sample file and one scope, with the reason. Every sample also runs
// through the token invariants: tokens cover each line in order.
//
// The differences are pinned: tests/data/lexer/reference_differences.txt
// lists every differing run (file, line, columns, both scope lists), so a
// new difference fails the test even where a reason would allow it, and so
// does a listed one that is gone (remove it from the list: it was mended).
// Set VANTREL_LEXING_REPORT to a file name to get the list as it is now.
#include "ui/text/lexer/lexer.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lexing_fixtures.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/unicode.h"

namespace {

using lexing_fixtures::kSamples;
using lexing_fixtures::Sample;

// Why our scopes may differ from the reference at some characters: the
// places where our grammar model deliberately reads grammars otherwise.
enum class Reason {
    // Scope names are used as written: capture references in a name
    // ("keyword.control.$1.c", "${2:/downcase}") are not replaced.
    NameAsWritten,
    // Captures are scoped by their "name" only; nested "patterns" of a
    // capture are not applied (and where they are, the reference also drops
    // the scopes of the captures around it).
    CapturePatterns,
    // A begin match does not carry the contentName of the context that
    // holds it; only the end match does.
    BeginWithoutContentName,
    // A named capture 0 replaces the match rule's own name.
    CaptureZeroReplacesName,
};

// A difference at a character of `file` is allowed when, from the first
// scope where the reference's list and ours part, either list holds a scope
// name containing `scope`.
struct AllowedDifference {
    const char* file;
    const char* scope;
    Reason reason;
};

const AllowedDifference kAllowedDifferences[] = {
    {"xtranslcl.c", "$", Reason::NameAsWritten},
    {"xtranslcl.c", "constant.numeric.", Reason::CapturePatterns},
    {"death_test.h", "$", Reason::NameAsWritten},
    {"death_test.h", "storage.type.", Reason::CapturePatterns},
    {"random_device.cpp", "$", Reason::NameAsWritten},
    {"random_device.cpp", "meta.preprocessor.conditional", Reason::BeginWithoutContentName},
    {"random_device.cpp", "meta.qualified-type.cpp", Reason::CapturePatterns},
    {"random_device.cpp", "meta.declaration.cpp", Reason::CapturePatterns},
    {"random_device.cpp", "meta.assignment.cpp", Reason::CapturePatterns},
    {"random_device.cpp", "meta.head.", Reason::CapturePatterns},
    {"random_device.cpp", "constant.numeric.", Reason::CapturePatterns},
    {"random_device.cpp", "scope-resolution", Reason::CapturePatterns},
    {"random_device.cpp", "meta.template.call.cpp", Reason::CapturePatterns},
    {"random_device.cpp", "entity.name.type.cpp", Reason::CapturePatterns},
    {"random_device.cpp", "storage.modifier.", Reason::CapturePatterns},
    {"random_device.cpp", "string.quoted.other.lt-gt.include.cpp", Reason::CapturePatterns},
    {"test_gyp.py", "meta.function-call.arguments.python", Reason::BeginWithoutContentName},
    {"test_gyp.py", "meta.item-access.arguments.python", Reason::BeginWithoutContentName},
    {"docs_index.js", "string.template.js", Reason::BeginWithoutContentName},
    {"docs_index.js", "meta.embedded.line.js", Reason::BeginWithoutContentName},
    {"docs_index.js", "meta.object.member.js", Reason::CaptureZeroReplacesName},
    {"npm_install_ci_test.html", "$", Reason::NameAsWritten},
    {"npm_install_ci_test.html", "meta.property-value.css", Reason::BeginWithoutContentName},
    {"npm_ci.md", "meta.embedded.block.", Reason::BeginWithoutContentName},
    {"npm_ci.md", "heading.", Reason::CapturePatterns},
    {"npm_ci.md", "markup.inline.raw.string.markdown", Reason::CapturePatterns},
    {"npm_ci.md", "constant.numeric.shell", Reason::CapturePatterns},
    {"apt_postgresql.sh", "$", Reason::NameAsWritten},
    {"apt_postgresql.sh", "constant.numeric.shell", Reason::CapturePatterns},
    {"apt_postgresql.sh", "variable.other.normal.shell", Reason::CapturePatterns},
    {"style.css", "$", Reason::NameAsWritten},
    {"style.css", "meta.property-value.css", Reason::BeginWithoutContentName},
    {"example.yaml", "comment.line.number-sign.yaml", Reason::CapturePatterns},
    {"debian_packaging.mk", "$", Reason::NameAsWritten},
    {"debian_packaging.mk", "support.function.target.", Reason::CapturePatterns},
    // The Go grammar scopes nearly everything through capture patterns.
    {"proxy.go", "entity.name.", Reason::CapturePatterns},
    {"proxy.go", "variable.", Reason::CapturePatterns},
    {"proxy.go", "punctuation.", Reason::CapturePatterns},
    {"proxy.go", "constant.", Reason::CapturePatterns},
    {"proxy.go", "keyword.", Reason::CapturePatterns},
    {"proxy.go", "storage.type.", Reason::CapturePatterns},
};

using ScopeList = std::vector<std::string>;

// One token of the reference: 0-based line, columns in UTF-16 units.
struct ReferenceToken {
    int line;
    int start;
    int end;
    ScopeList scopes;
};

// Reads the fields of one line of the reference file, a flat JSON object
// such as {"line":1,"start":0,"end":2,"scopes":["source.c","comment.c"]}.
bool parseReferenceLine(const std::string& text, ReferenceToken& token)
{
    size_t p = 0;
    auto skipSpace = [&] {
        while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
            ++p;
    };
    auto readString = [&](std::string& out) {
        skipSpace();
        if (p >= text.size() || text[p] != '"')
            return false;
        ++p;
        out.clear();
        while (p < text.size() && text[p] != '"') {
            if (text[p] == '\\' && p + 1 < text.size())
                ++p;
            out += text[p++];
        }
        ++p;
        return true;
    };
    auto readInt = [&](int& out) {
        skipSpace();
        size_t used = 0;
        out = std::stoi(text.substr(p), &used);
        p += used;
        return used > 0;
    };
    skipSpace();
    if (p >= text.size() || text[p++] != '{')
        return false;
    std::string key;
    while (readString(key)) {
        skipSpace();
        if (text[p++] != ':')
            return false;
        if (key == "scopes") {
            skipSpace();
            ++p; // [
            std::string scope;
            while (readString(scope)) {
                token.scopes.push_back(scope);
                skipSpace();
                if (text[p] == ',')
                    ++p;
            }
            skipSpace();
            ++p; // ]
        } else {
            int value = 0;
            if (!readInt(value))
                return false;
            if (key == "line")
                token.line = value - 1;
            else if (key == "start")
                token.start = value;
            else if (key == "end")
                token.end = value;
        }
        skipSpace();
        if (p < text.size() && text[p] == ',')
            ++p;
    }
    return true;
}

// The reference scopes of every character, by line.
std::vector<std::vector<ScopeList>> readReference(const std::filesystem::path& path,
                                                  const std::vector<ustring>& lines)
{
    std::vector<std::vector<ScopeList>> scopes(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t length = lines[i].size();
        if (length && lines[i].back() == u'\n')
            --length;
        scopes[i].resize(length);
    }
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty())
            continue;
        ReferenceToken token{};
        EXPECT_TRUE(parseReferenceLine(text, token)) << text;
        if (token.line < 0 || static_cast<size_t>(token.line) >= scopes.size())
            continue;
        std::vector<ScopeList>& line = scopes[static_cast<size_t>(token.line)];
        for (int column = token.start; column < token.end; ++column)
            if (static_cast<size_t>(column) < line.size())
                line[static_cast<size_t>(column)] = token.scopes;
    }
    return scopes;
}

// Our scope string (innermost first, each name followed by a space) as a
// list outermost first.
ScopeList scopeList(const ScopeRecord* record)
{
    ScopeList names;
    std::istringstream words(toUtf8(record->text));
    std::string name;
    while (words >> name)
        names.insert(names.begin(), name);
    return names;
}

std::string joined(const ScopeList& scopes)
{
    std::string text;
    for (const std::string& scope : scopes)
        text += (text.empty() ? "" : " ") + scope;
    return text;
}

bool isAllowed(const std::string& file, const ScopeList& reference, const ScopeList& ours)
{
    size_t parting = 0;
    while (parting < reference.size() && parting < ours.size() &&
           reference[parting] == ours[parting])
        ++parting;
    for (const AllowedDifference& allowed : kAllowedDifferences) {
        if (file != allowed.file)
            continue;
        for (const ScopeList* list : {&reference, &ours})
            for (size_t i = parting; i < list->size(); ++i)
                if ((*list)[i].find(allowed.scope) != std::string::npos)
                    return true;
    }
    return false;
}

// A run of characters on one line with the same difference.
struct DifferenceRun {
    std::string file;
    int line;
    int firstColumn;
    int lastColumn;
    std::string text;
    ScopeList reference;
    ScopeList ours;
    bool allowed;
};

// A run as the list of pinned differences writes it: file:line:columns, the
// reference's scopes and ours, separated by tabs.
std::string pinnedLine(const DifferenceRun& run)
{
    return run.file + ":" + std::to_string(run.line) + ":" + std::to_string(run.firstColumn) +
           "-" + std::to_string(run.lastColumn) + "\t" + joined(run.reference) + "\t" +
           joined(run.ours);
}

std::set<std::string> readPinnedDifferences()
{
    std::ifstream in(std::filesystem::path(VANTREL_TEST_DATA_DIR) / "lexer" /
                     "reference_differences.txt");
    EXPECT_TRUE(in) << "the list of pinned differences is missing";
    std::set<std::string> pinned;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            pinned.insert(line);
    return pinned;
}

class LexerReference : public lexing_fixtures::GrammarSuite {};

TEST_F(LexerReference, EveryCharacterHasTheReferenceScopesOrAnAllowedDifference)
{
    SyntaxLoader loader;
    s_grammars->attach(loader);
    const std::filesystem::path samples = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "lexing";
    std::vector<DifferenceRun> runs;

    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.file);
        const ustring grammarPath = s_grammars->pathOf(sample.rootScope);
        ASSERT_FALSE(grammarPath.empty()) << toUtf8(sample.rootScope);
        slate::SP<Syntax> syntax = loader.loadSyntax(grammarPath);
        ASSERT_EQ(syntax->path(), grammarPath);

        const ustring text = toUstring(lexing_fixtures::readFile(samples / sample.file));
        const std::vector<ustring> lines = lexing_fixtures::splitLines(text);
        const auto reference =
            readReference(samples / (std::string(sample.file) + ".tokens.jsonl"), lines);

        ScopedLock lock(syntax->lexerLock());
        MatchRegion region;
        LexerState* state = syntax->lexer()->root();
        std::vector<LexedToken> tokens;
        for (size_t row = 0; row < lines.size(); ++row) {
            const ustring& line = lines[row];
            tokens.clear();
            state = lex(region, state, line.data(), line.data() + line.size(), tokens,
                        row == 0 ? LineKind::FirstLine : LineKind::LaterLine);

            // The tokens cover the line in order, without gaps.
            const uchar* expected = line.data();
            for (const LexedToken& token : tokens) {
                ASSERT_EQ(token.begin, expected) << "line " << row + 1;
                ASSERT_LT(token.begin, token.end);
                expected = token.end;
            }
            ASSERT_EQ(expected, line.data() + line.size()) << "line " << row + 1;

            size_t open = SIZE_MAX; // index of the run that may grow
            for (const LexedToken& token : tokens) {
                const ScopeList ours = scopeList(token.scope);
                for (const uchar* unit = token.begin; unit != token.end; ++unit) {
                    const size_t column = static_cast<size_t>(unit - line.data());
                    if (column >= reference[row].size())
                        break; // the line feed
                    const ScopeList& theirs = reference[row][column];
                    if (theirs == ours) {
                        open = SIZE_MAX;
                        continue;
                    }
                    if (open != SIZE_MAX && runs[open].reference == theirs &&
                        runs[open].ours == ours &&
                        runs[open].lastColumn + 1 == static_cast<int>(column)) {
                        runs[open].lastColumn = static_cast<int>(column);
                        runs[open].text += static_cast<char>(*unit);
                        continue;
                    }
                    runs.push_back(DifferenceRun{sample.file, static_cast<int>(row) + 1,
                                                 static_cast<int>(column),
                                                 static_cast<int>(column),
                                                 std::string(1, static_cast<char>(*unit)), theirs,
                                                 ours, isAllowed(sample.file, theirs, ours)});
                    open = runs.size() - 1;
                }
            }
        }
    }

    if (const char* reportPath = std::getenv("VANTREL_LEXING_REPORT")) {
        std::ofstream report(reportPath);
        for (const DifferenceRun& run : runs)
            report << pinnedLine(run) << "\n";
    }
    std::set<std::string> pinned = readPinnedDifferences();
    for (const DifferenceRun& run : runs) {
        const bool wasPinned = pinned.erase(pinnedLine(run)) > 0;
        if (run.allowed && wasPinned)
            continue;
        ADD_FAILURE() << (run.allowed ? "new difference: " : "difference without a reason: ")
                      << run.file << ":" << run.line << ":" << run.firstColumn << "-"
                      << run.lastColumn << " \"" << run.text
                      << "\"\n  reference: " << joined(run.reference)
                      << "\n  ours:      " << joined(run.ours);
    }
    for (const std::string& gone : pinned)
        ADD_FAILURE() << "listed difference no longer found (remove it from the list): " << gone;
}

} // namespace
