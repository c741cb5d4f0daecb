// Grammars from fuzzed rules: each input line is one rule, and the last line
// is the text, lexed with the compiled grammar (cut into lines at each CR;
// the whole text is lexed twice, the second time from the state the first
// ended in). A rule line is a kind letter and fields separated by TABs:
//   m PATTERN NAME [GROUP1]        a match rule; GROUP1 names its group 1
//   b BEGIN END NAME               a begin/end rule (its patterns include $self)
//   w BEGIN WHILE NAME [GROUP1]    a begin/while rule (its patterns include
//                                  $self); GROUP1 names group 1 of the while
//                                  match ("whileCaptures")
//   i INCLUDE                      an include ("#r0", "$self", ...)
//   r PATTERN                      a repository rule "r<n>", n counting from 0
#include <vector>

#include "fuzz_target.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/lexer.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

namespace {

std::vector<ustring> split(const ustring& text, uchar separator)
{
    std::vector<ustring> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == ustring::npos ? ustring::npos : end - start));
        if (end == ustring::npos)
            return parts;
        start = end + 1;
    }
}

PlistDict newDict() { return PlistDict(11); }

// A capture dictionary naming group 1, or nothing for an empty name.
void nameGroupOne(PlistDict& rule, const char16_t* key, const ustring& name)
{
    if (name.empty())
        return;
    PlistDict entry = newDict();
    entry[u"name"] = name;
    PlistDict groups = newDict();
    groups[u"1"] = entry;
    rule[key] = groups;
}

PlistArray includeSelf()
{
    PlistDict self = newDict();
    self[u"include"] = ustring(u"$self");
    return PlistArray{PlistValue(self)};
}

} // namespace

VANTREL_FUZZ_TARGET(grammar_rules)
{
    const std::vector<ustring> lines = split(toUstring(fuzzBytes(data, size)), u'\n');
    if (lines.size() < 2 || lines.size() > 64)
        return 0;
    PlistArray patterns;
    PlistDict repository = newDict();
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::vector<ustring> fields = split(lines[i], u'\t');
        auto field = [&](size_t n) { return n < fields.size() ? fields[n] : ustring(); };
        PlistDict rule = newDict();
        const ustring kind = field(0);
        if (kind == u"m") {
            rule[u"match"] = field(1);
            rule[u"name"] = field(2);
            nameGroupOne(rule, u"captures", field(3));
        } else if (kind == u"b") {
            rule[u"begin"] = field(1);
            rule[u"end"] = field(2);
            rule[u"name"] = field(3);
            rule[u"patterns"] = includeSelf();
        } else if (kind == u"w") {
            rule[u"begin"] = field(1);
            rule[u"while"] = field(2);
            rule[u"name"] = field(3);
            nameGroupOne(rule, u"whileCaptures", field(4));
            rule[u"patterns"] = includeSelf();
        } else if (kind == u"i") {
            rule[u"include"] = field(1);
        } else if (kind == u"r") {
            PlistDict named = newDict();
            named[u"match"] = field(1);
            repository[u"r" + toUstring(std::to_string(repository.size()))] = named;
            continue;
        } else {
            continue;
        }
        patterns.emplace_back(rule);
    }
    PlistDict root = newDict();
    root[u"name"] = ustring(u"Fuzz");
    root[u"scopeName"] = ustring(u"source.fuzz");
    root[u"patterns"] = patterns;
    root[u"repository"] = repository;

    LoadedContextSet set;
    try {
        Grammar grammar;
        parseTextMateGrammar(PlistValue(root), grammar, false);
        LanguageMap languages;
        GrammarCache cache;
        loadLexerContexts(grammar, languages, set, cache);
        std::unique_ptr<CompiledLexer> lexer = compileLexerContexts(set.contexts);
        if (lexer && lexer->root()) {
            // Every line but the last keeps a line feed, as in a document.
            std::vector<ustring> textLines = split(lines.back(), u'\r');
            for (size_t i = 0; i + 1 < textLines.size(); ++i)
                textLines[i] += u'\n';
            MatchRegion region;
            std::vector<LexedToken> tokens;
            LexerState* state = lexer->root();
            for (int pass = 0; pass < 2 && state; ++pass) {
                for (size_t i = 0; i < textLines.size() && state; ++i) {
                    const ustring& text = textLines[i];
                    tokens.clear();
                    state = lex(region, state, text.data(), text.data() + text.size(), tokens,
                                pass == 0 && i == 0 ? LineKind::FirstLine : LineKind::LaterLine);
                }
            }
        }
    } catch (const ParseException&) {
    }
    freeLoadedContexts(set);
    return 0;
}
