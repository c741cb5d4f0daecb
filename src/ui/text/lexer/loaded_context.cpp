// Flattens a grammar's rule tree into lexer contexts. The walk starts at the
// grammar's top level, which becomes the root context, and adds each rule's
// patterns to the context being filled: a match rule adds its pattern, a
// begin/end rule adds its begin pattern (and, the first time it is met, gets
// a context of its own, filled the same way, with its end pattern first or
// last), grouping rules and includes add the rules they stand for in place.
//
// The walk uses no recursion, so that a grammar's shape cannot exhaust the
// stack: a context met for the first time is made at once (its begin pattern
// needs it) but filled only after the current one, from a list of contexts
// still to fill, and groups and includes within one context are walked with
// an explicit stack of rule runs.
//
// Three tables make the walk finite and cheap. The context cache gives each
// begin/end rule exactly one context however often it is reached, so a rule
// that contains itself points back at its own context. A per-context set of
// the rules already added stops include cycles (a repository entry that
// includes itself, a top-level "$self"); it also drops repeats, which could
// never win a match anyway since the earlier copy of the same pattern always
// matches first. The string set stores each distinct text once.
//
// Other languages are found by scope name through the caller's language map
// and parsed on first use into the caller's grammar cache, which outlives
// this load; a grammar enters that cache only once it has parsed completely.
#include "ui/text/lexer/loaded_context.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/lexer/arena_string_set.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/parse_exception.h"

namespace {

constexpr size_t kTableBuckets = 11;

// A run of rules still to be added to a context: a rule list from `index`
// on, or one rule alone (when `list` is null), in `language`.
struct PendingRules {
    const RuleList* list;
    size_t index;
    std::shared_ptr<Rule> single;
    const ustring* language; // held by LoadState::languageNames
};

// A context while its patterns are added; it lives exactly as long as that,
// since every context is filled in one go.
struct ContextFill {
    explicit ContextFill(LoadedContext& filled) : context(filled) {}

    LoadedContext& context;
    // Rules (and root rules, standing for a language's top-level patterns)
    // already added to this context.
    std::unordered_set<const void*> taken;
    // Groups and includes are walked with this stack instead of recursion,
    // so that a long chain of includes cannot exhaust the thread's stack.
    std::vector<PendingRules> pending;

    void push(const RuleList& rules, const ustring& language)
    {
        if (!rules.empty())
            pending.push_back(PendingRules{&rules, 0, nullptr, &language});
    }
    void push(const std::shared_ptr<Rule>& rule, const ustring& language)
    {
        pending.push_back(PendingRules{nullptr, 0, rule, &language});
    }
};

// A begin/end rule whose context exists but is not filled yet.
struct UnfilledContext {
    LoadedContext* context;
    std::shared_ptr<Rule> rule;
    const ustring* language; // held by LoadState::languageNames
};

struct LoadState {
    LoadState(LoadedContextSet& contextSet, const LanguageMap& languageMap, GrammarCache& cache)
        : set(contextSet),
          strings(contextSet.arena),
          grammarCache(cache),
          repositories(kTableBuckets),
          contextCache(kTableBuckets),
          languages(languageMap)
    {
    }

    LoadedContextSet& set;
    ArenaStringSet strings;
    GrammarCache& grammarCache;
    // The loaded grammar's root rule and scope name: what "$base" means.
    std::shared_ptr<Rule> baseRule;
    ustring baseLanguage;
    // A language's scope name -> its root rule; scope name + "#" + name ->
    // that language's repository rule.
    Repository repositories;
    // Begin/end rule (or root rule) -> its one context.
    std::unordered_map<const Rule*, LoadedContext*> contextCache;
    const LanguageMap& languages;
    // Includes already reported as unknown: a rule reached from many
    // contexts is reported once per load.
    std::unordered_set<ustring, UstringHash> reported;
    // Contexts made but not filled yet: each is filled after the one that
    // reached it, never inside it, so nesting costs no stack.
    std::vector<UnfilledContext> unfilled;
    // Every language name a rule is added in; the pending work points into
    // it (the nodes of the set stay where they are).
    std::unordered_set<ustring, UstringHash> languageNames;
    // Patterns in all contexts so far, checked against kMaxLoadedPatterns.
    size_t patternCount = 0;

    const ustring& languageName(const ustring& language)
    {
        return *languageNames.insert(language).first;
    }
};

// Reports an include that adds nothing, once per load, under the name of
// the step that resolves rules.
void reportUnknownInclude(LoadState& state, const ustring& message)
{
    if (state.reported.insert(message).second)
        LogRecord("addRule", __FILE__, __LINE__) << message;
}

// Rule strings live in their grammars' arenas for the whole load.
const uchar* copyRuleString(LoadState& state, const slate::usubstring& text)
{
    return state.strings.copyStable(text).begin;
}

const uchar* copyString(LoadState& state, const slate::usubstring& text)
{
    return state.strings.copy(text).begin;
}

std::vector<const uchar*> copyCaptureNames(LoadState& state, const CaptureNames& captures)
{
    std::vector<const uchar*> names;
    names.reserve(captures.size());
    for (const slate::usubstring& capture : captures)
        names.push_back(capture.empty() ? nullptr : copyRuleString(state, capture));
    return names;
}

LoadedContext* newContext(LoadState& state, const slate::usubstring& name,
                          const slate::usubstring& contentName, const ustring& language)
{
    auto owned = std::make_unique<LoadedContext>();
    state.set.contexts.push_back(owned.get());
    LoadedContext* context = owned.release();
    context->name = copyRuleString(state, name);
    context->contentName = copyRuleString(state, contentName);
    context->language = copyString(state, language);
    return context;
}

// A grammar's top level as a begin/end rule without begin, end or names.
std::shared_ptr<Rule> makeRootRule(const Grammar& grammar)
{
    auto root = std::make_shared<Rule>();
    root->beginEndRule = std::make_shared<BeginEndRule>();
    root->beginEndRule->patterns = grammar.patterns;
    return root;
}

void registerRepository(LoadState& state, const Repository& repository, const ustring& language)
{
    for (const auto& [name, rule] : repository)
        state.repositories[language + u'#' + name] = rule;
}

// The top-level patterns of the language whose root rule is `root`.
void addRootPatterns(ContextFill& fill, const std::shared_ptr<Rule>& root, const ustring& language,
                     LoadState& state)
{
    if (fill.taken.insert(root.get()).second)
        fill.push(root->beginEndRule->patterns, state.languageName(language));
}

// The root rule of the language `scope`, reading and parsing its grammar
// when this load has not met it yet; null when the language is unknown.
std::shared_ptr<Rule> languageRoot(const ustring& scope, LoadState& state)
{
    auto known = state.repositories.find(scope);
    if (known != state.repositories.end())
        return known->second;
    auto path = state.languages.find(scope);
    if (path == state.languages.end())
        return nullptr;

    const Grammar* grammar = nullptr;
    auto cached = state.grammarCache.find(path->second);
    if (cached != state.grammarCache.end() && cached->second) {
        grammar = cached->second.get();
    } else {
        // Parsed aside and cached only when complete: a grammar that fails is
        // read again by the next load instead of being used half filled.
        auto parsed = std::make_unique<Grammar>();
        PlistValue value;
        loadPlist(path->second, value, true);
        parseTextMateGrammar(value, *parsed, false);
        grammar = parsed.get();
        state.grammarCache[path->second] = std::move(parsed);
    }

    registerRepository(state, grammar->repository, scope);
    std::shared_ptr<Rule> root = makeRootRule(*grammar);
    state.repositories[scope] = root;
    return root;
}

void addExternalInclude(ContextFill& fill, const ustring& text, const ustring& language,
                        LoadState& state)
{
    const size_t hash = text.find(u'#');
    const ustring scope = text.substr(0, hash);
    const std::shared_ptr<Rule> root = languageRoot(scope, state);
    if (!root) {
        reportUnknownInclude(state,
                             u"Unknown external include " + text + u" included from " + language);
        return;
    }
    if (hash == ustring::npos || hash + 1 == text.size()) {
        addRootPatterns(fill, root, scope, state);
        return;
    }
    auto rule = state.repositories.find(text);
    if (rule == state.repositories.end()) {
        reportUnknownInclude(state, u"Unknown include " + text + u" included from " + language);
        return;
    }
    fill.push(rule->second, state.languageName(scope));
}

void addInclude(ContextFill& fill, const IncludeRule& include, const ustring& language,
                LoadState& state)
{
    const ustring& text = include.include;
    if (text.empty())
        throw ParseException(std::string("invalid include"));

    if (text[0] == u'$') {
        if (text == u"$self") {
            auto root = state.repositories.find(language);
            if (root != state.repositories.end())
                addRootPatterns(fill, root->second, language, state);
        } else if (text == u"$base") {
            addRootPatterns(fill, state.baseRule, state.baseLanguage, state);
        } else {
            throw ParseException(std::string("Unknown include"));
        }
        return;
    }

    if (text[0] == u'#') {
        const ustring name = text.substr(1);
        for (const NestedRepository* scope = include.scope; scope; scope = scope->parent) {
            auto rule = scope->rules.find(name);
            if (rule != scope->rules.end()) {
                fill.push(rule->second, language);
                return;
            }
        }
        auto rule = state.repositories.find(language + text);
        if (rule == state.repositories.end()) {
            // A missing entry costs the grammar one rule, not all of them.
            reportUnknownInclude(state, u"Unknown include " + text + u" in " + language);
            return;
        }
        fill.push(rule->second, language);
        return;
    }

    addExternalInclude(fill, text, language, state);
}

void addMatch(ContextFill& fill, LoadedMatch match, LoadState& state)
{
    if (++state.patternCount > kMaxLoadedPatterns)
        throw ParseException("The grammar's lexer contexts hold more than " +
                             std::to_string(kMaxLoadedPatterns) +
                             " patterns; includes of large rule sets from many places are the "
                             "usual cause");
    fill.context.matches.push_back(std::move(match));
}

void addBeginEndRule(ContextFill& fill, const std::shared_ptr<Rule>& rule, const ustring& language,
                     LoadState& state)
{
    const BeginEndRule& beginEnd = *rule->beginEndRule;
    LoadedContext*& target = state.contextCache[rule.get()];
    if (!target) {
        LoadedContext* context = newContext(state, beginEnd.name, beginEnd.contentName, language);
        // Cached at once, so a rule that reaches itself finds its own context.
        target = context;
        ContextFill endFill(*context);
        if (beginEnd.isWhileRule) {
            context->whilePattern = copyRuleString(state, beginEnd.whilePattern);
            context->whileCaptureNames = copyCaptureNames(state, beginEnd.whileCaptures);
        } else {
            addMatch(endFill,
                     LoadedMatch{LexerAction::aPOP, nullptr, copyRuleString(state, beginEnd.end),
                                 nullptr, copyCaptureNames(state, beginEnd.endCaptures)},
                     state);
        }
        state.unfilled.push_back(UnfilledContext{context, rule, &language});
    }
    addMatch(fill,
             LoadedMatch{LexerAction::aPUSH, target, copyRuleString(state, beginEnd.begin),
                         nullptr, copyCaptureNames(state, beginEnd.beginCaptures)},
             state);
}

void addRule(ContextFill& fill, const std::shared_ptr<Rule>& rule, const ustring& language,
             LoadState& state)
{
    if (!fill.taken.insert(rule.get()).second)
        return;

    if (const MatchRule* match = rule->matchRule.get()) {
        addMatch(fill,
                 LoadedMatch{LexerAction::aNONE, nullptr, copyRuleString(state, match->match),
                             copyRuleString(state, match->name),
                             copyCaptureNames(state, match->captures)},
                 state);
    } else if (rule->beginEndRule) {
        addBeginEndRule(fill, rule, language, state);
    } else if (const FragmentRule* fragment = rule->fragmentRule.get()) {
        fill.push(fragment->patterns, language);
    } else if (const IncludeRule* include = rule->includeRule.get()) {
        addInclude(fill, *include, language, state);
    }
}

// Adds `rules` and everything they stand for to `fill`'s context, in order.
void addRules(ContextFill& fill, const RuleList& rules, const ustring& language, LoadState& state)
{
    fill.push(rules, language);
    while (!fill.pending.empty()) {
        PendingRules& next = fill.pending.back();
        std::shared_ptr<Rule> rule;
        if (!next.list) {
            rule = std::move(next.single);
        } else if (next.index < next.list->size()) {
            rule = (*next.list)[next.index++];
        }
        const ustring& ruleLanguage = *next.language;
        if (!next.list || next.index >= next.list->size())
            fill.pending.pop_back(); // `next` is gone from here on
        if (rule)
            addRule(fill, rule, ruleLanguage, state);
    }
}

// Fills the contexts made while filling others, until none is left.
void fillUnfilledContexts(LoadState& state)
{
    while (!state.unfilled.empty()) {
        const UnfilledContext unfilled = std::move(state.unfilled.back());
        state.unfilled.pop_back();
        const BeginEndRule& beginEnd = *unfilled.rule->beginEndRule;
        ContextFill fill(*unfilled.context);
        addRules(fill, beginEnd.patterns, *unfilled.language, state);
        if (beginEnd.applyEndPatternLast && !beginEnd.isWhileRule)
            std::rotate(unfilled.context->matches.begin(), unfilled.context->matches.begin() + 1,
                        unfilled.context->matches.end());
    }
}

} // namespace

LoadedContextSet::LoadedContextSet() = default;

LoadedContextSet::~LoadedContextSet() { freeLoadedContexts(*this); }

void freeLoadedContexts(LoadedContextSet& set)
{
    for (LoadedContext* context : set.contexts)
        delete context;
    set.contexts.clear();
    set.arena.clear();
}

void loadLexerContexts(const Grammar& grammar, const LanguageMap& languages, LoadedContextSet& set,
                       GrammarCache& grammarCache)
{
    ScopedTimer timer(g_statLoadLexerContexts);

    const ustring& language = grammar.scopeName;
    if (language.find(u'#') != ustring::npos)
        throw ParseException(std::string("Invalid language name"));
    if (language.empty())
        throw ParseException(std::string("Empty language names are not allowed"));

    try {
        LoadState state(set, languages, grammarCache);
        std::shared_ptr<Rule> root = makeRootRule(grammar);
        LoadedContext* rootContext =
            newContext(state, slate::usubstring(), slate::usubstring(), language);

        registerRepository(state, grammar.repository, language);
        state.repositories[language] = root;
        state.contextCache[root.get()] = rootContext;
        state.baseRule = root;
        state.baseLanguage = language;

        ContextFill fill(*rootContext);
        fill.taken.insert(root.get());
        addRules(fill, grammar.patterns, state.languageName(language), state);
        fillUnfilledContexts(state);
    } catch (...) {
        freeLoadedContexts(set);
        throw;
    }
}
