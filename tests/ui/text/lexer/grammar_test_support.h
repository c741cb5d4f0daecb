// Helpers for the grammar tests: property-list values written inline, a
// collector of log messages, and the scratch folder for grammar files.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "support/scratch_folder.h"
#include "ui/log.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/ustring.h"
#include "ui/unicode.h"

namespace grammar_test {

// One property-list value in an inline literal: text, an integer, a
// boolean, or a nested dictionary or array.
struct Value {
    Value(const char16_t* text) : value(ustring(text)) {}
    Value(int number) : value(number) {}
    Value(bool flag) : value(flag) {}
    Value(PlistDict nested) : value(std::move(nested)) {}
    Value(PlistArray nested) : value(std::move(nested)) {}
    // Any value, for a value held as a PlistValue already.
    static Value of(PlistValue any)
    {
        Value result(0);
        result.value = std::move(any);
        return result;
    }

    PlistValue value;
};

inline PlistDict dict(std::initializer_list<std::pair<const char16_t*, Value>> entries)
{
    PlistDict result(11);
    for (const auto& [key, entry] : entries)
        result[ustring(key)] = entry.value;
    return result;
}

inline PlistArray array(std::initializer_list<Value> elements)
{
    PlistArray result;
    for (const Value& element : elements)
        result.push_back(element.value);
    return result;
}

// A capture dictionary naming groups: {{1, u"a"}, {2, u"b"}}.
inline PlistDict captures(std::initializer_list<std::pair<int, const char16_t*>> names)
{
    PlistDict result(11);
    for (const auto& [number, name] : names)
        result[toUstring(std::to_string(number))] = dict({{u"name", name}});
    return result;
}

// Collects the log messages of its lifetime (on the delivering thread, which
// the tests run on).
class LogCollector : public DebugListener {
public:
    LogCollector() { addDebugListener(this); }
    ~LogCollector() override { removeDebugListener(this); }

    void message(const uchar* text) override { messages.emplace_back(text); }

    bool contains(const ustring& part) const
    {
        for (const ustring& message : messages)
            if (message.find(part) != ustring::npos)
                return true;
        return false;
    }

    std::vector<ustring> messages;
};

using test_support::ScratchFolder;

// A grammar file in XML property-list form with the given scope name and
// the body of its root dictionary after "name" and "scopeName".
inline std::string grammarXml(const std::string& scopeName, const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<plist version=\"1.0\"><dict>\n"
           "<key>name</key><string>" + scopeName + "</string>\n"
           "<key>scopeName</key><string>" + scopeName + "</string>\n" + body +
           "</dict></plist>\n";
}

// A match rule: {match = pattern; name = name;}.
inline PlistDict match(const char16_t* pattern, const char16_t* name = u"")
{
    return dict({{u"match", pattern}, {u"name", name}});
}

// A grammar with scope name source.x, compiled from its top-level patterns
// and repository.
inline std::unique_ptr<CompiledLexer> compileGrammar(PlistArray patterns, PlistDict repository = {})
{
    Grammar grammar;
    parseTextMateGrammar(PlistValue(dict({{u"name", u"X"},
                                          {u"scopeName", u"source.x"},
                                          {u"patterns", std::move(patterns)},
                                          {u"repository", std::move(repository)}})),
                         grammar, false);
    LanguageMap languages;
    GrammarCache cache;
    LoadedContextSet set;
    loadLexerContexts(grammar, languages, set, cache);
    return compileLexerContexts(set.contexts);
}

} // namespace grammar_test
