// Compiles loaded contexts into the structures the lexing loop runs on. Each
// loaded context becomes a `LexerContext` in the lexer's arena with a
// `MultiMatcher` over its patterns and a flat `LexerMatch` table that says,
// for the pattern that wins, what to do and which relative scope to give.
// Scopes are resolved here, once: a match's scope is stored relative to the
// state it is lexed in, so lexing only has to put the state's outer scope
// around it, which each state caches per relative record.
//
// One regex cache serves the whole compilation, so a pattern reached from
// many contexts through includes is compiled once and shared, while each
// context's matcher keeps its own remembered results. Contexts whose end
// pattern refers back to the begin match get no matcher here: the lexing
// loop clones them per begin match, with the references filled in. Pattern
// escapes that grammars use for characters but the engine reads as bytes
// ("\xFF") are rewritten as code points on the way in.
#include "ui/text/lexer/compiled_lexer.h"

#include <algorithm>
#include <new>
#include <string>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/lexer/arena_string_set.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/text/parse_exception.h"

namespace {

constexpr size_t kLexerArenaBlockSize = 4096;
constexpr size_t kCloneMapBuckets = 11;

// Scope texts are joined in a buffer on the stack; only texts longer than
// this (deeply nested scopes) cost an allocation, and only until interned.
constexpr size_t kJoinBufferLength = 512;

const ScopeRecord* internJoined(ScopeNamePool& pool, const slate::usubstring& first,
                                const slate::usubstring& second, bool spaceBetween)
{
    const size_t length = first.length() + (spaceBetween ? 1 : 0) + second.length();
    uchar stackBuffer[kJoinBufferLength];
    ustring heapBuffer;
    uchar* buffer = stackBuffer;
    if (length > kJoinBufferLength) {
        heapBuffer.resize(length);
        buffer = heapBuffer.data();
    }
    uchar* out = std::copy(first.begin, first.end, buffer);
    if (spaceBetween)
        *out++ = u' ';
    std::copy(second.begin, second.end, out);
    return pool.intern(slate::usubstring(buffer, buffer + length));
}

const ScopeRecord* nameRecord(ScopeNamePool& names, const uchar* name)
{
    return name && *name ? names.intern(slate::usubstring(name)) : nullptr;
}

// Gives `match` the capture scopes of `captureNames` (by capture number),
// built on `base`.
void setCaptureScopes(CompiledLexer& lexer, LexerMatch& match, const ScopeRecord* base,
                      const std::vector<const uchar*>& captureNames)
{
    if (captureNames.empty())
        return;
    ScopeNamePool& names = lexer.names();
    // A named capture 0 replaces the rule's own name.
    if (captureNames[0])
        match.scope = joinScope(lexer.joinedScopes(), base, nameRecord(names, captureNames[0]));
    const size_t groups = captureNames.size() - 1;
    if (!groups)
        return;
    const ScopeRecord** captureScopes = lexer.arena().allocateArray<const ScopeRecord*>(groups);
    for (size_t group = 0; group < groups; ++group)
        captureScopes[group] = nameRecord(names, captureNames[group + 1]);
    match.numCaptures = static_cast<int32_t>(groups);
    match.captureScopes = captureScopes;
}

} // namespace

const ScopeRecord* joinScope(ScopeNamePool& pool, const ScopeRecord* outer, const ScopeRecord* name)
{
    if (!name || name->text.empty())
        return outer;
    const slate::usubstring written = name->text;
    if (!written.find(u' '))
        return internJoined(pool, written, outer ? outer->text : slate::usubstring(), true);
    // A name of several scopes ("string.json support.type.property-name.json")
    // lists them outermost first; a scope string lists them innermost first.
    ustring reversed;
    reversed.reserve(written.length());
    const uchar* wordEnd = written.end;
    while (wordEnd != written.begin) {
        const uchar* wordBegin = wordEnd;
        while (wordBegin != written.begin && wordBegin[-1] != u' ')
            --wordBegin;
        if (wordBegin != wordEnd) {
            if (!reversed.empty())
                reversed += u' ';
            reversed.append(wordBegin, wordEnd);
        }
        wordEnd = wordBegin;
        while (wordEnd != written.begin && wordEnd[-1] == u' ')
            --wordEnd;
    }
    if (reversed.empty())
        return outer;
    return internJoined(pool, slate::usubstring(reversed), outer ? outer->text : slate::usubstring(),
                        true);
}

const ScopeRecord* concatScopes(ScopeNamePool& pool, const ScopeRecord* outer,
                                const ScopeRecord* inner)
{
    if (!outer)
        return inner;
    if (!inner)
        return outer;
    return internJoined(pool, inner->text, outer->text, false);
}

LexerState::LexerState(CompiledLexer* lexer, LexerContext* stateContext, LexerState* parentState,
                       const ScopeRecord* outer, const ScopeRecord* content)
    : compiledLexer(lexer),
      context(stateContext),
      parent(parentState),
      outerScope(outer),
      contentScope(content)
{
    ++g_statLexerStates.count;
}

LexerState::~LexerState()
{
    // Each state taken from the list gives up its children before it is
    // deleted, so no destructor below this one has anything to recurse into.
    std::vector<LexerState*> pending;
    for (LexerState* child : children)
        if (child)
            pending.push_back(child);
    children.clear();
    while (!pending.empty()) {
        LexerState* state = pending.back();
        pending.pop_back();
        for (LexerState* child : state->children)
            if (child)
                pending.push_back(child);
        state->children.clear();
        delete state;
    }
}

CompiledLexer::CompiledLexer()
    : m_arena(kLexerArenaBlockSize),
      m_joinedScopes(m_arena),
      m_names(m_arena),
      m_cloneMap(kCloneMapBuckets)
{
}

CompiledLexer::~CompiledLexer()
{
    m_root.reset();
    // The arena frees the contexts' memory; their matchers and pattern lists
    // own heap memory of their own.
    for (LexerContext* context : m_contexts)
        context->~LexerContext();
}

LexerContext* CompiledLexer::newContext()
{
    // The slot first: once the context exists, nothing may fail before the
    // destructor can find it.
    m_contexts.push_back(nullptr);
    void* memory;
    try {
        memory = m_arena.allocateAligned(sizeof(LexerContext), alignof(LexerContext));
    } catch (...) {
        m_contexts.pop_back();
        throw;
    }
    auto* context = new (memory) LexerContext();
    context->index = static_cast<int32_t>(m_contexts.size() - 1);
    m_contexts.back() = context;
    return context;
}

LexerContext* CompiledLexer::copyContext(const LexerContext& source)
{
    LexerContext* context = newContext();
    context->contentScope = source.contentScope;
    context->nameScope = source.nameScope;
    context->srcRegexes = source.srcRegexes;
    context->numMatches = source.numMatches;
    context->matches = source.matches;
    context->isWhile = source.isWhile;
    context->whileSource = source.whileSource;
    context->whileMatch = source.whileMatch;
    context->origin = source.rule();
    return context;
}

std::unique_ptr<CompiledLexer> compileLexerContexts(const std::vector<LoadedContext*>& contexts)
{
    VASSERT(!contexts.empty());
    ScopedTimer timer(g_statCompileLexerContexts);

    RegexCache regexCache;
    auto lexer = std::make_unique<CompiledLexer>();
    ArenaAllocator& arena = lexer->m_arena;
    ScopeNamePool& joined = lexer->m_joinedScopes;
    ScopeNamePool& names = lexer->m_names;
    // Equal pattern texts share one copy, which the regex cache keys on. The
    // loader already made equal texts share one copy, so a pattern is first
    // looked up by the address of its loaded text.
    ArenaStringSet patternTexts(arena);
    std::unordered_map<const uchar*, slate::usubstring> patternBySource;
    lexer->m_contexts.reserve(contexts.size());

    // First every context exists with its scopes, so that matches can point
    // at the contexts they enter.
    for (size_t i = 0; i < contexts.size(); ++i) {
        LoadedContext& loaded = *contexts[i];
        loaded.index = static_cast<int32_t>(i);
        LexerContext* context = lexer->newContext();
        context->nameScope = joinScope(joined, nullptr, nameRecord(names, loaded.name));
        context->contentScope =
            joinScope(joined, context->nameScope, nameRecord(names, loaded.contentName));
    }

    ustring widened;
    // The lexer's copy of a loaded pattern text, byte escapes widened.
    auto patternText = [&](const uchar* loadedText) {
        slate::usubstring& pattern = patternBySource[loadedText];
        if (!pattern.begin) {
            const slate::usubstring written(loadedText);
            pattern = patternTexts.copy(widenByteEscapes(written, widened)
                                            ? slate::usubstring(widened)
                                            : written);
        }
        return pattern;
    };
    auto compileMatcher = [&](const std::vector<slate::usubstring>& texts) {
        try {
            return MultiMatcher(texts, regexCache);
        } catch (const oniguruma::regex_error& error) {
            throw ParseException(std::string("Error in regex: ") + error.what());
        }
    };
    std::vector<slate::usubstring> patterns;
    for (size_t i = 0; i < contexts.size(); ++i) {
        const LoadedContext& loaded = *contexts[i];
        LexerContext& context = *lexer->m_contexts[i];
        const size_t count = loaded.matches.size();
        LexerMatch* matches = arena.allocateArray<LexerMatch>(count);
        context.numMatches = static_cast<int32_t>(count);
        context.matches = matches;
        patterns.clear();

        for (size_t k = 0; k < count; ++k) {
            const LoadedMatch& source = loaded.matches[k];
            const slate::usubstring pattern = patternText(source.pattern);
            patterns.push_back(pattern);

            LexerMatch& match =
                *new (&matches[k]) LexerMatch{nullptr, 0, nullptr, source.action, nullptr};
            if (source.target) {
                VASSERT(source.target->index >= 0 &&
                        static_cast<size_t>(source.target->index) < contexts.size());
                match.target = lexer->m_contexts[static_cast<size_t>(source.target->index)];
            }

            // A begin match carries the entered rule's name inside the name
            // of the context that holds it; an end match only its own rule's
            // name (the state it is lexed in adds the rest).
            const ScopeRecord* base = context.contentScope;
            if (source.action == LexerAction::aPOP)
                base = context.nameScope;
            else if (source.action == LexerAction::aPUSH)
                base = concatScopes(joined, context.nameScope,
                                    match.target ? match.target->nameScope : nullptr);
            match.scope = joinScope(joined, base, nameRecord(names, source.name));

            setCaptureScopes(*lexer, match, base, source.captureNames);

            if (source.action == LexerAction::aPOP)
                context.popIsParameterised = hasBackReferences(pattern);
        }

        if (loaded.whilePattern) {
            lexer->m_hasWhileContexts = true;
            context.isWhile = true;
            context.whileSource = patternText(loaded.whilePattern);
            context.whileMatch.scope = context.contentScope;
            setCaptureScopes(*lexer, context.whileMatch, context.contentScope,
                             loaded.whileCaptureNames);
            context.whileIsParameterised = hasBackReferences(context.whileSource);
            if (!context.whileIsParameterised)
                context.whileMatcher = compileMatcher({context.whileSource});
        }

        if (context.popIsParameterised || context.whileIsParameterised)
            context.srcRegexes = patterns;
        if (!context.popIsParameterised)
            context.matcher = compileMatcher(patterns);
    }

    LexerContext* rootContext = lexer->m_contexts[0];
    const ScopeRecord* outer =
        joinScope(joined, nullptr, nameRecord(names, contexts[0]->language));
    const ScopeRecord* content = concatScopes(joined, outer, rootContext->contentScope);
    lexer->m_root = std::make_unique<LexerState>(lexer.get(), rootContext, nullptr, outer, content);
    return lexer;
}
