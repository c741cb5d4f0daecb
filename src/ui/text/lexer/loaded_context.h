// Loading lexer contexts: a parsed grammar, with the grammars it includes,
// flattened into the list of contexts a compiled lexer is built from. The
// grammar's top level is one context and every begin/end rule reached is one
// more; each context lists, in priority order, the patterns that can match
// inside it and what each does (stay, enter a context, leave the context).
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/hash.h"
#include "ui/text/lexer/lexer_action.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/ustring.h"

struct LoadedContext;

// One pattern of a loaded context. Every string is NUL-terminated and lives
// in the arena of the LoadedContextSet that holds the context.
struct LoadedMatch {
    LexerAction action;
    LoadedContext* target;  // the context a begin pattern enters; null otherwise
    const uchar* pattern;   // the regular expression
    // The match rule's scope name ("" when it has none); null for begin and
    // end patterns.
    const uchar* name;
    // Scope names by capture number (0 = the whole match); null for an
    // unnamed capture.
    std::vector<const uchar*> captureNames;
};

struct LoadedContext {
    // Priority order: of patterns matching at the same place, the first wins.
    // A begin/end rule's context starts with its end pattern, or ends with it
    // when the rule applies its end pattern last; a "while" rule's context
    // has none.
    std::vector<LoadedMatch> matches;
    const uchar* name;        // the begin/end rule's "name"; "" when none
    const uchar* contentName; // its "contentName"; "" when none
    const uchar* language;    // scope name of the grammar the rule came from
    // The context of a "while" rule: the pattern each following line must
    // begin with for the context to stay open, and the scope names of its
    // captures by number (null for an unnamed one). Such a context has no
    // end pattern among `matches`. Null and empty for every other context.
    const uchar* whilePattern = nullptr;
    std::vector<const uchar*> whileCaptureNames;
    int32_t index = -1;       // position in the compiled lexer, set by compilation
};

// What loadLexerContexts fills: the contexts, root first, and the arena of
// their strings. Owned by the caller, who frees it with freeLoadedContexts
// once the lexer is compiled (destruction frees it too). Not copyable.
struct LoadedContextSet {
    LoadedContextSet();
    ~LoadedContextSet();
    LoadedContextSet(const LoadedContextSet&) = delete;
    LoadedContextSet& operator=(const LoadedContextSet&) = delete;

    ArenaAllocator arena;
    std::vector<LoadedContext*> contexts; // owned
};

// Scope name -> grammar path: where to find the languages a grammar includes.
using LanguageMap = std::unordered_map<ustring, ustring, UstringHash>;
// Grammar path -> parsed grammar: languages parsed for includes, read once
// per owner (the syntax loader) and reused by every later load.
using GrammarCache = std::unordered_map<ustring, std::unique_ptr<Grammar>, UstringHash>;

// The most patterns the contexts of one load may hold together. The largest
// real grammars, with every language they embed, hold about 115,000; a
// grammar whose rules each include the whole grammar again grows with the
// square of its size and is refused instead of taking gigabytes.
constexpr size_t kMaxLoadedPatterns = 500000;

// Flattens `grammar` into `set` (expected empty): its root context first,
// then every other context in no particular order. Includes resolve as
// follows: "$self" adds the top-level patterns of the grammar the include
// belongs to, "$base" those of `grammar`; "#name" the named rule of the
// including grammar's repository (an unknown name is logged and adds
// nothing); another scope name the top-level patterns of that language, and
// "scope#name" the named rule of its repository. A language neither loaded
// yet nor in `languages` is logged and adds nothing; one that is in
// `languages` comes from `grammarCache`, or is read (property-list cache
// allowed), parsed and entered there, only when parsing succeeded. Each
// begin/end rule yields one context however often it is reached, and a
// context takes each rule at most once, so include cycles end.
//
// Throws ParseException: "Invalid language name" when the grammar's scope
// name holds "#", "Empty language names are not allowed" when it is empty,
// "invalid include" for an empty include, "Unknown include" for a "$" include
// other than "$self" and "$base", a message naming kMaxLoadedPatterns when
// the contexts would hold more patterns, and whatever reading or parsing an
// included grammar throws. However long a chain of includes or of nested
// rules, the walk takes no more stack. After a throw `set` is empty. Main thread (it times itself
// into an unsynchronised statistics record).
void loadLexerContexts(const Grammar& grammar, const LanguageMap& languages, LoadedContextSet& set,
                       GrammarCache& grammarCache);

// Deletes every context of `set` and clears its arena; the set can be filled
// again.
void freeLoadedContexts(LoadedContextSet& set);
