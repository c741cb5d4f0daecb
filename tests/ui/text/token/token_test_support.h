// Helpers for the token storage tests: a small grammar with block comments,
// strings and keywords, the C grammar from the test data, the scopes of a
// storage unit by unit and the scopes a fresh lex of the same text gives,
// and random edits of C text.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "ui/critical_section.h"
#include "ui/text/lexer/grammar_test_support.h"
#include "ui/text/lexer/lexer.h"
#include "ui/text/syntax/syntax.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

namespace token_test {

// source.x: "/*" to "*/" is comment.block, '"' to '"' is string.quoted
// (its quotes punctuation.definition.string.begin and .end),
// "if" and "while" are keyword.control. Only match rules and begin/end
// pairs, so every line is lexed by exactly one call of the lexer.
inline slate::SP<Syntax> commentSyntax()
{
    using namespace grammar_test;
    PlistArray patterns = array({
        Value(dict({{u"begin", u"/\\*"}, {u"end", u"\\*/"}, {u"name", u"comment.block"}})),
        Value(dict({{u"begin", u"\""},
                    {u"beginCaptures", captures({{0, u"punctuation.definition.string.begin"}})},
                    {u"end", u"\""},
                    {u"endCaptures", captures({{0, u"punctuation.definition.string.end"}})},
                    {u"name", u"string.quoted"}})),
        Value(match(u"\\b(if|while)\\b", u"keyword.control")),
    });
    return slate::SP<Syntax>(new Syntax(u"x", u"X", compileGrammar(std::move(patterns))));
}

// The syntax of a grammar file in tests/data/grammars, loaded from a copy in
// a scratch folder so that the loader's cache file stays out of the tree.
class DataGrammar {
public:
    explicit DataGrammar(const std::string& file)
    {
        static int s_counter = 0;
        m_folder = std::filesystem::temp_directory_path() /
                   ("vantrel-token-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
        std::filesystem::create_directories(m_folder);
        const std::filesystem::path copy = m_folder / file;
        std::filesystem::copy_file(std::filesystem::path(VANTREL_TEST_DATA_DIR) / "grammars" / file, copy);
        syntax = m_loader.loadSyntax(toUstring(copy.string()));
    }
    ~DataGrammar()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    slate::SP<Syntax> syntax;

private:
    std::filesystem::path m_folder;
    SyntaxLoader m_loader;
};

// The scope of every code unit of the storage, in text order.
inline std::vector<const ScopeRecord*> storedScopes(const TokenStorage& storage)
{
    std::vector<const ScopeRecord*> scopes;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it)
        scopes.insert(scopes.end(), static_cast<size_t>((*it)->length()), (*it)->scope);
    return scopes;
}

// The scope of every code unit when `text` is lexed from the start, line by
// line, as a new document.
inline std::vector<const ScopeRecord*> freshScopes(Syntax& syntax, const ustring& text)
{
    std::vector<const ScopeRecord*> scopes;
    ScopedLock lock(syntax.lexerLock());
    MatchRegion region;
    LexerState* state = syntax.lexer()->root();
    std::vector<LexedToken> tokens;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(u'\n', start);
        end = end == ustring::npos ? text.size() : end + 1;
        tokens.clear();
        state = lex(region, state, text.data() + start, text.data() + end, tokens,
                    start == 0 ? LineKind::FirstLine : LineKind::LaterLine);
        for (const LexedToken& token : tokens)
            scopes.insert(scopes.end(), static_cast<size_t>(token.end - token.begin), token.scope);
        start = end;
    }
    return scopes;
}

// The number of lexer calls made while `action` runs, for grammars that
// take one line key per call (see commentSyntax).
template <typename Action>
int linesLexed(Action&& action)
{
    const MatchKey before = nextLineKey();
    action();
    return static_cast<int>(nextLineKey() - before) - 1;
}

inline std::string scopeText(const ScopeRecord* scope)
{
    return scope ? toUtf8(scope->text.str()) : std::string("(none)");
}

// Where the first unlexed token starts; -1 when every token is lexed.
inline int64_t firstUnlexed(const TokenStorage& storage)
{
    int64_t at = 0;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it) {
        if (!(*it)->state)
            return at;
        at += (*it)->length();
    }
    return -1;
}

inline const ustring kCFragments[] = {
    u"/*", u"*/", u"\"", u"\n", u"int x = 1;", u"// note", u"#if 0\n", u"#endif\n",
    u"{", u"}", u"'a'", u"\\", u" ", u"\t", u"return f(x);\n", u"/* a\nb */", u"\"s\\\"t\"",
};

// `count` C fragments picked at random, joined.
inline ustring randomCText(std::mt19937& random, int count)
{
    ustring text;
    for (int i = 0; i < count; ++i)
        text += kCFragments[random() % std::size(kCFragments)];
    return text;
}

// One random edit of the storage and of its model: mostly an insert of a
// C fragment, else an erase of up to 12 units.
inline void randomEdit(TokenStorage& storage, ustring& model, std::mt19937& random)
{
    if (model.empty() || random() % 3 != 0) {
        const ustring& fragment = kCFragments[random() % std::size(kCFragments)];
        const int64_t at = static_cast<int64_t>(random() % (model.size() + 1));
        ASSERT_TRUE(storage.insert(at, fragment));
        model.insert(static_cast<size_t>(at), fragment);
    } else {
        const int64_t from = static_cast<int64_t>(random() % model.size());
        const int64_t to = std::min<int64_t>(model.size(), from + 1 + random() % 12);
        storage.erase(SelectionRegion(from, to));
        model.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    }
}

} // namespace token_test
