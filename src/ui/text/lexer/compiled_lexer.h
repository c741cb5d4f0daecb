// The compiled lexer: the contexts of one grammar, each with a multi-pattern
// matcher over its patterns and a table saying what every pattern does and
// which scope it gives, plus the tree of lexer states from which lexing
// starts and into which it moves.
//
// Scope strings. A scope string lists scope names innermost first, each
// followed by one space: inside a double-quoted string of source.c an escape
// is "constant.character.escape string.quoted.double source.c ". Scope
// strings and bare scope names are interned records of a ScopeNamePool, so
// they compare by pointer and index per-scope caches by id; null means no
// scope.
//
// Threads: compilation runs on the caller's thread without a lock. After it,
// every use of the lexer, its states, pools and matchers happens under the
// lexer lock of the syntax that owns it: lexing changes all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/hash.h"
#include "ui/text/lexer/lexer_action.h"
#include "ui/text/lexer/multi_matcher.h"
#include "ui/text/scope_name_pool.h"
#include "ui/ustring.h"

class CompiledLexer;
struct LexerContext;
struct LoadedContext;

// What one pattern of a context does and which scopes it gives.
struct LexerMatch {
    // Scope of the whole match, relative to the state's outer scope; null for
    // none.
    const ScopeRecord* scope;
    // Capture groups with an entry in captureScopes.
    int32_t numCaptures;
    // captureScopes[i] is the bare scope name (names pool) of group i + 1,
    // null for an unnamed group; null when numCaptures is 0. In the arena.
    const ScopeRecord* const* captureScopes;
    LexerAction action;
    LexerContext* target; // the context a push enters; null otherwise
};

// One context: the patterns that can match while the lexer is inside it.
// Lives in its lexer's arena and dies with the lexer.
struct LexerContext {
    using Action = LexerAction;

    // The patterns in match order; empty (never matching) while the context
    // is parameterised, and in a clone whose end pattern did not compile.
    MultiMatcher matcher;
    // Scope of the text inside, relative to the state's outer scope: the
    // name scope with the content name joined on, or the name scope alone.
    const ScopeRecord* contentScope = nullptr;
    // The begin/end rule's own name with its space, or null.
    const ScopeRecord* nameScope = nullptr;
    // The end pattern refers to captures of the begin match, so the context
    // is cloned per begin match (with the references filled in) before use.
    bool popIsParameterised = false;
    // The pattern texts in match order, in the lexer's arena; kept only for
    // parameterised contexts and their clones.
    std::vector<slate::usubstring> srcRegexes;
    int32_t numMatches = 0;
    // One entry per pattern, in the same order as the matcher's; in the arena
    // and shared by a context's clones. The end pattern (action aPOP) is
    // entry 0, or the last entry when the rule applies its end pattern last.
    const LexerMatch* matches = nullptr;
    int32_t index = 0; // position in the lexer's contexts

    // A "while" context stays open as long as each following line begins
    // with a match of its while pattern: at the start of every line the
    // lexer checks the while contexts of its state from the outermost
    // inward, and the first that fails is left with everything inside it.
    bool isWhile = false;
    // The while pattern refers to captures of the begin match, so the
    // context is cloned per begin match (as for a parameterised end).
    bool whileIsParameterised = false;
    // The while pattern alone; empty (never matching) for other contexts,
    // while parameterised, and in a clone whose pattern did not compile.
    MultiMatcher whileMatcher;
    // The while pattern's text in the lexer's arena (cloning fills it in).
    slate::usubstring whileSource;
    // The scopes of the line prefix the while pattern takes: the whole
    // prefix has the content scope, its captures the names the rule gives.
    LexerMatch whileMatch{nullptr, 0, nullptr, LexerAction::aNONE, nullptr};

    // The context this one was copied from (a clone per begin match, or the
    // twin for a begin match that took its line's end); null in a context
    // compiled from the grammar.
    const LexerContext* origin = nullptr;

    // Whether the context must be cloned per begin match before use.
    bool isParameterised() const { return popIsParameterised || whileIsParameterised; }
    // The grammar's rule this context stands for: the same for a context and
    // all its copies.
    const LexerContext* rule() const { return origin ? origin : this; }
};

// A node of the tree of lexer states. A state stands for the whole stack of
// open contexts that leads to it from the root: entering the same contexts
// in the same order always gives the same object, so states compare by
// pointer. Owned by its parent (the root by its lexer); never removed before
// the lexer dies.
struct LexerState {
    // Counts itself in the "LexerStates" statistics counter.
    LexerState(CompiledLexer* lexer, LexerContext* context, LexerState* parent,
               const ScopeRecord* outerScope, const ScopeRecord* contentScope);
    // Deletes the whole subtree, without recursion (a deeply nested document
    // can make the tree very deep).
    ~LexerState();
    LexerState(const LexerState&) = delete;
    LexerState& operator=(const LexerState&) = delete;

    CompiledLexer* compiledLexer;
    LexerContext* context; // the context this state is in
    LexerState* parent;    // null for the root
    // Owned: the state reached by entering the context of index i from here,
    // at children[i]; null where none exists yet.
    std::vector<LexerState*> children;
    // The absolute scope around this state's context (for the root, the
    // grammar's scope name).
    const ScopeRecord* outerScope;
    // concatScopes(outerScope, context->contentScope): the scope of plain
    // text in this state.
    const ScopeRecord* contentScope;
    // concatScopes(outerScope, relative) at the relative record's id; null
    // where not computed yet. Filled by lexing.
    std::vector<const ScopeRecord*> scopeCache;
};

// Clones of parameterised contexts: (context cloned, capture key) -> clone.
// The capture key is the text of each capture of the begin match, in group
// order, each followed by one NUL unit.
using CloneKey = std::pair<const LexerContext*, ustring>;

struct CloneKeyHash {
    size_t operator()(const CloneKey& key) const
    {
        return std::hash<const void*>()(key.first) ^ UstringHash()(key.second);
    }
};

using CloneMap = std::unordered_map<CloneKey, LexerContext*, CloneKeyHash>;

// One grammar compiled for lexing. Built by compileLexerContexts; grows only
// while lexing (states, scope records, clones, matcher results) and frees
// everything at once when destroyed. Owned by its syntax.
class CompiledLexer {
public:
    CompiledLexer();
    ~CompiledLexer();
    CompiledLexer(const CompiledLexer&) = delete;
    CompiledLexer& operator=(const CompiledLexer&) = delete;

    // The state of the grammar's top level; owns every other state.
    LexerState* root() const { return m_root.get(); }

    // By index: the compiled contexts (root context first), then clones.
    const std::vector<LexerContext*>& contexts() const { return m_contexts; }

    // A new context owned by the lexer, appended to contexts() with the next
    // index, as a copy of `source` for cloning a parameterised context: same
    // scopes, match tables and pattern texts, empty matchers, and neither
    // pattern parameterised.
    LexerContext* copyContext(const LexerContext& source);

    // Whether any context is a "while" context; when none is, lines start
    // without checking any.
    bool hasWhileContexts() const { return m_hasWhileContexts; }

    CloneMap& cloneMap() { return m_cloneMap; }
    // Storage of contexts, match tables and pattern texts (for example the
    // end pattern of a clone); lives as long as the lexer.
    ArenaAllocator& arena() { return m_arena; }
    // Joined scope strings (results of joinScope and concatScopes).
    ScopeNamePool& joinedScopes() { return m_joinedScopes; }
    // Bare scope names as a grammar writes them.
    ScopeNamePool& names() { return m_names; }

private:
    friend std::unique_ptr<CompiledLexer> compileLexerContexts(
        const std::vector<LoadedContext*>& contexts);

    LexerContext* newContext();

    ArenaAllocator m_arena; // declared first: everything below may point into it
    ScopeNamePool m_joinedScopes;
    ScopeNamePool m_names;
    std::vector<LexerContext*> m_contexts; // constructed in the arena
    CloneMap m_cloneMap;
    std::unique_ptr<LexerState> m_root;
    bool m_hasWhileContexts = false;
};

// Builds the lexer from `contexts` (root first; not empty) and sets each
// loaded context's index. Byte escapes of patterns ("\xHH", "\0oo") are
// rewritten as the code points grammars mean by them ("\x{HH}"). Throws
// ParseException "Error in regex: " and the engine's message when a pattern
// does not compile (end patterns of parameterised contexts are compiled only
// when lexing clones them). The loaded contexts are not needed afterwards.
// Caller's thread; times itself into an unsynchronised statistics record
// (main thread).
std::unique_ptr<CompiledLexer> compileLexerContexts(const std::vector<LoadedContext*>& contexts);

// `name` + " " + the text of `outer` (nothing after the space when `outer` is
// null), interned in `pool`; `outer` itself when `name` is null or empty. A
// name of several space-separated scopes, written outermost first, enters
// innermost first like the rest of the string.
const ScopeRecord* joinScope(ScopeNamePool& pool, const ScopeRecord* outer,
                             const ScopeRecord* name);

// The text of `inner` followed by that of `outer`, interned in `pool`; the
// other one when either is null.
const ScopeRecord* concatScopes(ScopeNamePool& pool, const ScopeRecord* outer,
                                const ScopeRecord* inner);
