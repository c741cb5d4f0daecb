// The syntax loader: grammar path in, compiled syntax out, once per path.
// A cache miss runs the whole pipeline (property list, grammar, contexts,
// compilation) and keeps the result for the life of the process; any
// ParseException on the way is shown to the user and answered with the
// plain-text default, uncached, so that a fixed grammar loads on the next
// request. Grammars of other languages that includes pull in are parsed
// once into a cache the loader owns and shares between all loads.
//
// One path is read in place of another: the PHP grammar's path reads the
// HTML grammar. Syntaxes are cached by the path requested, so the PHP and
// HTML syntaxes keep their own names, and whichever comes second reuses the
// compiled lexer of the first (see Syntax) instead of compiling again.
#include "ui/text/syntax/syntax_loader.h"

#include <unordered_map>
#include <utility>

#include "filesystem/path_parts.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/unicode.h"

namespace {

constexpr size_t kCacheBuckets = 11;

// A compiled grammar by the path it was read from.
struct CompiledGrammar {
    slate::SP<Syntax> syntax; // one syntax made from it; others share its lexer
    ustring displayName;      // the grammar's name, or the file stem
};

} // namespace

const ustring SyntaxLoader::kPhpPath = u"Packages/PHP/PHP.tmLanguage";
const ustring SyntaxLoader::kHtmlPath = u"Packages/HTML/HTML.tmLanguage";

struct SyntaxLoader::Impl {
    Impl() : syntaxes(kCacheBuckets), compiled(kCacheBuckets), grammarCache(kCacheBuckets) {}

    // Every syntax built by loadSyntax, by the path requested.
    std::unordered_map<ustring, slate::SP<Syntax>, UstringHash> syntaxes;
    // By the path read.
    std::unordered_map<ustring, CompiledGrammar, UstringHash> compiled;
    slate::SP<Syntax> defaultSyntax; // null until first asked for
    // Grammars parsed for includes of other languages; owned here.
    GrammarCache grammarCache;
    LanguageMapSource languageMapSource;
    ContextLoader contextLoader;

    LanguageMap languages() const
    {
        if (languageMapSource)
            return languageMapSource();
        if (SyntaxManager::alive())
            return SyntaxManager::get().scopeNameToSyntax();
        return LanguageMap();
    }

    void loadContexts(const Grammar& grammar, const LanguageMap& languageMap,
                      LoadedContextSet& set)
    {
        if (contextLoader)
            contextLoader(grammar, languageMap, set, grammarCache);
        else
            loadLexerContexts(grammar, languageMap, set, grammarCache);
    }
};

SyntaxLoader::SyntaxLoader() : m_impl(std::make_unique<Impl>()) {}

SyntaxLoader::~SyntaxLoader()
{
    // Grammars first, then the default syntax, then the cache: a syntax
    // that a buffer still holds outlives the loader.
    m_impl->grammarCache.clear();
    m_impl->defaultSyntax.reset();
    m_impl->compiled.clear();
    m_impl->syntaxes.clear();
}

void SyntaxLoader::create()
{
    install(new SyntaxLoader);
}

void SyntaxLoader::setLanguageMapSource(LanguageMapSource source)
{
    m_impl->languageMapSource = std::move(source);
}

void SyntaxLoader::setContextLoader(ContextLoader loader)
{
    m_impl->contextLoader = std::move(loader);
}

slate::SP<Syntax> SyntaxLoader::loadSyntax(const ustring& path)
{
    ScopedTimer timer(g_statLoadSyntax);
    Impl& impl = *m_impl;

    auto cached = impl.syntaxes.find(path);
    if (cached != impl.syntaxes.end())
        return cached->second;

    const bool isPhp = path == kPhpPath;
    const ustring& readPath = isPhp ? kHtmlPath : path;

    auto compiled = impl.compiled.find(readPath);
    if (compiled != impl.compiled.end()) {
        const CompiledGrammar& grammar = compiled->second;
        slate::SP<Syntax> syntax(
            new Syntax(path, isPhp ? ustring(u"PHP") : grammar.displayName, *grammar.syntax));
        impl.syntaxes.emplace(path, syntax);
        return syntax;
    }

    try {
        LoadedContextSet contexts;
        ustring displayName;
        {
            ScopedTimer rawTimer(g_statLoadRawSyntax);
            PlistValue plist;
            loadPlist(readPath, plist, true);
            Grammar grammar;
            parseTextMateGrammar(plist, grammar, false);
            impl.loadContexts(grammar, impl.languages(), contexts);
            displayName = grammar.name.empty() ? pathStem(readPath, u'/').str() : grammar.name;
        }
        if (contexts.contexts.empty())
            return defaultSyntax();

        slate::SP<Syntax> syntax(new Syntax(path, isPhp ? ustring(u"PHP") : displayName,
                                            compileLexerContexts(contexts.contexts)));
        impl.syntaxes.emplace(path, syntax);
        impl.compiled.emplace(readPath, CompiledGrammar{syntax, std::move(displayName)});
        freeLoadedContexts(contexts);
        return syntax;
    } catch (const ParseException& error) {
        if (NotificationManager::alive()) {
            NotificationManager::get().displayError(u"Error loading syntax file " + readPath +
                                                    u": " + toUstring(error.what()));
        }
        return defaultSyntax();
    }
}

slate::SP<Syntax> SyntaxLoader::defaultSyntax()
{
    Impl& impl = *m_impl;
    if (impl.defaultSyntax)
        return impl.defaultSyntax;

    ScopedTimer timer(g_statLoadDefaultSyntax);
    Grammar grammar;
    grammar.name = u"default";
    grammar.scopeName = u"text.plain";
    LanguageMap languages;
    languages.emplace(u"text.plain", ustring());
    LoadedContextSet contexts;
    loadLexerContexts(grammar, languages, contexts, impl.grammarCache);
    impl.defaultSyntax = slate::SP<Syntax>(
        new Syntax(ustring(), ustring(), compileLexerContexts(contexts.contexts)));
    return impl.defaultSyntax;
}
