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

// Where the lexing of one line stopped, so that `lexLinePart` can go on from
// there later exactly as if it had never stopped: the tokens of a line lexed
// in parts are the tokens of the line lexed whole. Offsets count code units
// from the line's start, so the point outlives the copy of the line it was
// made on; the line's text must stay the same, though (an edit of the line
// makes its point worthless). Lives as long as the compiled lexer of its
// states.
struct LineResumePoint {
    // The state the line started in, which its tokens record.
    LexerState* lineState = nullptr;
    // The state at `column`; at the line's end, the state it ends in.
    LexerState* state = nullptr;
    // Where lexing stopped: the tokens before it are made, none after it.
    int64_t column = 0;
    // The line is done: `state` is its end state.
    bool finished = false;
    // What the loop keeps of the line so far: where "\G" matches now (-1:
    // nowhere), and for each context entered on the line and still open,
    // outermost first, the anchor before it and where the search that
    // entered it began (see lexer.cpp). Empty at the line's start.
    int64_t anchor = -1;
    std::vector<int64_t> anchors;
    std::vector<int64_t> entries;
    // The line key the searches so far were made under and the contexts
    // searched under it. Reused only by a caller that promises the very same
    // text at the same address (see lexLinePart); 0 until the line starts.
    MatchKey key = 0;
    std::vector<const LexerContext*> searched;
    // Where the line lay when those searches were made: a later part given
    // the line at another address searches afresh, whatever it is told.
    const uchar* searchedText = nullptr;
};

// The point at which a line that starts in `state` begins.
LineResumePoint lineStartPoint(LexerState* state);

// Whether the text given to lexLinePart is the one given last time for the
// same point, at the same address and unchanged since (a text at another
// address counts as changed anyway). Then the searches'
// remembered results, and the region's copy of the line, are used again,
// which makes many short parts of a long line cost about what one whole lex
// of it costs; otherwise every part searches afresh from where it starts.
enum class LineText {
    Changed,   // anything else (always safe)
    Unchanged, // the same text at the same address as the last call on the point
};

// Lexes the line [begin, end) on from `point` (made by lineStartPoint, or
// left by an earlier call on the same line) until the first step of the loop
// that ends at or after `stopAt`, or the line's end, appending the tokens to
// `out` and moving `point` on. True when the line is done (`point.state` is
// then its end state and `point.finished` is set); false when it stopped
// inside the line, at `point.column` (past `stopAt`, before `end`), where a
// later call goes on. A finished point gives nothing more. The tokens of all
// the calls on one line are those `lex` gives for the whole line, and stop
// only between tokens. Searches see the whole line each time, so the text
// after `stopAt` counts as lex reads it. While a call stops inside the line,
// `region` keeps holding [begin, end) (MatchRegion::holdText) for the next
// call; a caller that drops or changes the text instead must not pass
// LineText::Unchanged for it. Lexer lock held.
bool lexLinePart(MatchRegion& region, LexerWorkspace& workspace, LineResumePoint& point,
                 const uchar* begin, const uchar* end, const uchar* stopAt,
                 std::vector<LexedToken>& out, LineKind kind = LineKind::LaterLine,
                 LineText text = LineText::Changed);

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
