// The syntax loader turns grammar paths into shared, compiled syntaxes: each
// path is read, parsed, flattened and compiled once per process and then
// served from a cache, and a grammar that cannot be loaded falls back to the
// plain-text default syntax after telling the user why.
#pragma once

#include <functional>
#include <memory>

#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/syntax/syntax.h"
#include "ui/ustring.h"

class SyntaxLoader : public Singleton<SyntaxLoader> {
public:
    // The map from scope name to grammar path that resolves includes of other
    // languages. The default asks the syntax manager (an empty map while
    // there is none).
    using LanguageMapSource = std::function<LanguageMap()>;
    // Flattens a parsed grammar into lexer contexts; loadLexerContexts by
    // default. Replaceable for tests.
    using ContextLoader = std::function<void(const Grammar& grammar, const LanguageMap& languages,
                                             LoadedContextSet& set, GrammarCache& grammarCache)>;

    // The grammar path that is read in place of the PHP grammar's (see
    // loadSyntax).
    static const ustring kPhpPath;
    static const ustring kHtmlPath;

    // A loader of its own; most code uses the singleton below instead.
    SyntaxLoader();
    // Releases the loader's references: a syntax still held elsewhere lives
    // on until its last release.
    ~SyntaxLoader();
    SyntaxLoader(const SyntaxLoader&) = delete;
    SyntaxLoader& operator=(const SyntaxLoader&) = delete;

    // Makes the singleton (none may exist); UI start-up calls it and UI
    // shutdown destroys it. Main thread.
    static void create();

    // The syntax of the grammar at `path` (virtual, or native when the file
    // manager does not know it); never null. The first request of a path
    // reads the property list (its binary cache allowed), parses, loads the
    // contexts and compiles; later requests of the same path return the same
    // object. "Packages/PHP/PHP.tmLanguage" (exactly so written) is read from
    // "Packages/HTML/HTML.tmLanguage" and named "PHP"; the two paths keep
    // syntaxes of their own (with their own names) that share one compiled
    // lexer. The name is the grammar's "name", or the file stem when that is
    // empty. A grammar that cannot be read, parsed or compiled is reported
    // ("Error loading syntax file " + path read + ": " + message) through the
    // notification manager when it exists, and gives the default syntax;
    // nothing is cached, so the next request tries again. A grammar that
    // yields no context gives the default syntax silently, also uncached.
    // Main thread.
    slate::SP<Syntax> loadSyntax(const ustring& path);

    // The plain-text syntax (scope name "text.plain", no patterns, empty path
    // and name), built on first demand; always the same object. Main thread.
    slate::SP<Syntax> defaultSyntax();

    // Test and tool hooks; set them before the first load. An empty function
    // restores the default.
    void setLanguageMapSource(LanguageMapSource source);
    void setContextLoader(ContextLoader loader);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;

};
