// The lexing loop: one line of text, starting from a lexer state, cut into
// tokens tagged with absolute scope strings, and the state the line ends in.
// The token storage calls `lex` once per line, carrying the returned state
// to the next line, and compares end states by pointer to know where
// re-lexing may stop (states are canonical, see compiled_lexer.h).
//
// Threads: every function here that takes a lexer, a context or a state
// changes the compiled lexer (new states, scope records, clones, the
// matchers' remembered results) and must run under the lexer lock of the
// syntax that owns it. `splitTokenText` and `buildEndPattern` are pure.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/multi_matcher.h"
#include "ui/text/scope_name_pool.h"
#include "ui/ustring.h"

// One token of a lexed line. Its pointers point into the text given to
// `lex` and are valid only as long as that text; its scope and state live as
// long as the compiled lexer.
struct LexedToken {
    const uchar* begin; // first code unit
    const uchar* end;   // one past the last
    const ScopeRecord* scope; // absolute scope string (joined-scope pool); never null
    // The state passed to the `lex` call that made the token (the state at
    // the start of its line), the same for every token of the call.
    LexerState* lineState;
};

// A run of a match with one relative scope (null: the state's outer scope).
struct TokenPiece {
    const uchar* begin;
    const uchar* end;
    const ScopeRecord* scope;
};

// Scratch vectors of a lexing run. `lex` clears and refills them on every
// step; keeping one workspace for a whole run (many lines) means lexing
// allocates nothing once they have grown. One thread at a time.
struct LexerWorkspace {
    std::vector<slate::usubstring> captures;
    std::vector<TokenPiece> pieces;
    // Where "\G" matched in the contexts entered earlier on the line.
    std::vector<const uchar*> anchors;
    // Where the searches that entered those contexts began.
    std::vector<const uchar*> entries;
    // The contexts searched since the line key was last taken.
    std::vector<const LexerContext*> searched;
    // The states of "while" contexts open at a line's start, innermost first.
    std::vector<LexerState*> whileStates;
};

// The next line key (see MatchKey): every call gets a key no earlier call
// got, on any thread. Never 0.
MatchKey nextLineKey();

// Where a lexed line lies in its document. "\A" in a pattern matches only
// at the start of the first line; each line is searched as a text of its own,
// so the lexer must be told.
enum class LineKind {
    FirstLine, // the document's first line
    LaterLine, // any other line
};

// Lexes the line [begin, end) (including its line break, which is lexed like
// any other text) from `state`, appending its tokens to `out` (never
// cleared; reserve room for speed), and returns the state at the line's end.
// Tokens of one call cover the line without gaps and in order; an empty line
// gives no token unless a pattern matches the empty text. `region` and
// `workspace` are scratch for the run; the overload without a workspace uses
// one per thread. Never fails: a search error makes the rest of the line
// plain text of the state (the matcher logs it), and a grammar whose
// patterns match without advancing cannot stop the loop (such a step that
// could repeat ends the line instead: see lexer.cpp). Lexing the same
// line from the same state again gives the same tokens and the same end
// state (pointer equality). Pass LineKind::FirstLine for the first line of a
// document. "\G" matches only where the begin match of the current context
// ended on this line, or where the line prefix taken by the while patterns
// of the open "while" contexts ends. `region` is left with its default
// search settings.
// Lexer lock held.
LexerState* lex(MatchRegion& region, LexerWorkspace& workspace, LexerState* state,
                const uchar* begin, const uchar* end, std::vector<LexedToken>& out,
                LineKind kind = LineKind::LaterLine);
LexerState* lex(MatchRegion& region, LexerState* state, const uchar* begin, const uchar* end,
                std::vector<LexedToken>& out, LineKind kind = LineKind::LaterLine);

// What a lexMatch step does after emitting its pieces.
struct LexMatchResult {
    LexerAction action;    // aNONE when nothing matched
    LexerContext* target;  // the context a push enters (before cloning); else null
};

// One step of the loop: the first match of `context`'s patterns at or after
// `position` (searching up to `rangeEnd` in the text [textBegin, textEnd)
// under `key`), with `match` set to its extent ((null, null) when nothing
// matched) and `captures` to its groups. Appends to `pieces` the text
// between `position` and the match (the context's content scope) and the
// match split by its capture groups (relative scopes from `pool`); appends
// nothing when nothing matched. Capture groups nest up to a depth of 32;
// deeper groups take the scope of the group around them. `lineKey` is passed
// on to MultiMatcher::search. Lexer lock held.
LexMatchResult lexMatch(MatchRegion& region, ScopeNamePool& pool, LexerContext& context,
                        const uchar* position, const uchar* rangeEnd, const uchar* textBegin,
                        const uchar* textEnd, MatchKey key, slate::usubstring& match,
                        std::vector<slate::usubstring>& captures,
                        std::vector<TokenPiece>& pieces, bool allowEmpty,
                        MatchKey lineKey = 0);

// The first piece of [begin, end) (begin < end) as tokens are cut: a word
// with the spaces that follow it, a run of spaces, a run of tabs, or one of
// the single units line feed ( ) - < > [ ]. "foo  bar(x)" gives "foo  ",
// "bar", "(", "x", ")". Returns the piece; its begin is `begin`.
slate::usubstring splitTokenText(const uchar* begin, const uchar* end);

// `pattern` with each back-reference \N replaced by the text of capture N
// (counted from 1) escaped for a regex, or by nothing when the begin match
// has no group N.
ustring buildEndPattern(const slate::usubstring& pattern,
                        const std::vector<slate::usubstring>& captures);

// The clone of the parameterised context `target` for a begin match with
// `captures` (made, compiled and registered in `lexer` on first use; later
// begin matches with the same captured texts get the same clone). When the
// end pattern does not compile the error is shown through the notification
// manager (when it exists) and the clone keeps an empty matcher, which never
// matches; a while pattern that does not compile is reported the same way
// and the clone ends at the next line. Lexer lock held.
LexerContext* cloneContext(CompiledLexer& lexer, LexerContext& target,
                           const std::vector<slate::usubstring>& captures);
