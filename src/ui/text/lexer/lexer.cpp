// The lexing loop. A line is lexed by asking the current context's matcher,
// again and again, for the first pattern that matches at or after the
// current position; the text before the match and the match itself (cut
// along its capture groups) become tokens, and the pattern then leaves the
// state as it is, enters a context or leaves the current one. The scopes the
// matcher tables hold are relative to the state they are lexed in, so a
// token's absolute scope is one lookup in the state's scope cache after the
// first time. Every run of one scope is further cut into words, single
// brackets and runs of tabs, which keeps later edits and layout local.
//
// Grammars are written for a tokenizer that searches each line as a text of
// its own with three anchors placed as follows, and the loop places them so:
// "\A" matches only on a document's first line; "\G" only where the begin
// match of the current context ended on this line (or at the line's start
// when that begin match took the previous line's end, which such a context
// remembers by being a twin of its own); "^" in a look-behind sees the line's
// start from any search.
//
// A "while" context has no end pattern: it stays open as long as each line
// begins with a match of its while pattern. Before a line is searched, the
// open while contexts are checked from the outermost inward, each consuming
// its prefix of the line (so a quote's "> " is taken once per line, however
// deeply quotes nest); the first that fails is left with everything inside
// it. Grammars without while rules skip the check.
//
// Two guards keep a grammar from stopping the loop. Searches allow empty
// matches, as grammars expect (a look-ahead begin pattern enters a context
// without consuming text), but a step that consumes nothing could repeat
// forever. Such a step is taken when it cannot begin an endless round; when
// it could, the rest of the line becomes plain text of the state reached,
// as in the tokenizers grammars are written and tested with, so that the
// state carried to the next line is theirs too: a match rule that consumes
// nothing leaves the current context; an end match that would leave a
// context entered by an empty step at this very place keeps it open; and a
// begin match that would enter a context (or a copy of it) that an empty
// step here already entered, and that is still open, is not taken. And
// capture groups are split with a bounded stack.
//
// Contexts whose end pattern refers back to the begin match ("\1") are
// cloned per begin match with the references filled in; a clone is keyed by
// the captured texts, so equal begin matches share it, and with it the same
// child states, which keeps states canonical.
#include "ui/text/lexer/lexer.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "ui/notification_manager.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/unicode.h"

namespace {

// Capture groups open at once within one match; deeper groups take the scope
// of the group around them.
constexpr int kMaxOpenCaptures = 32;

std::atomic<MatchKey> s_lineKey{0};

bool isSingleUnitPiece(uchar unit)
{
    switch (unit) {
    case u'\n':
    case u'(':
    case u')':
    case u'-':
    case u'<':
    case u'>':
    case u'[':
    case u']':
        return true;
    default:
        return false;
    }
}

// The absolute scope of a piece with the relative scope `relative` in
// `state`.
const ScopeRecord* absoluteScope(ScopeNamePool& pool, LexerState& state,
                                 const ScopeRecord* relative)
{
    if (!relative)
        return state.outerScope;
    const size_t id = static_cast<size_t>(relative->id);
    std::vector<const ScopeRecord*>& cache = state.scopeCache;
    if (id >= cache.size())
        cache.resize(id + 1, nullptr);
    const ScopeRecord*& entry = cache[id];
    if (!entry)
        entry = concatScopes(pool, state.outerScope, relative);
    return entry;
}

void appendTokens(const uchar* begin, const uchar* end, const ScopeRecord* scope,
                  LexerState* lineState, std::vector<LexedToken>& out)
{
    while (begin != end) {
        const uchar* pieceEnd = splitTokenText(begin, end).end;
        out.push_back(LexedToken{begin, pieceEnd, scope, lineState});
        begin = pieceEnd;
    }
}

// The child of `state` for entering `target`, made on first use.
LexerState* enter(LexerState* state, LexerContext* target)
{
    const size_t index = static_cast<size_t>(target->index);
    std::vector<LexerState*>& children = state->children;
    if (index >= children.size())
        children.resize(index + 1, nullptr);
    if (LexerState* child = children[index])
        return child;
    CompiledLexer& lexer = *state->compiledLexer;
    ScopeNamePool& pool = lexer.joinedScopes();
    const ScopeRecord* outer = concatScopes(pool, state->outerScope, state->context->contentScope);
    const ScopeRecord* content = concatScopes(pool, outer, target->contentScope);
    auto* child = new LexerState(&lexer, target, state, outer, content);
    children[index] = child;
    return child;
}

// Clone-map keys of the twins of contexts entered by a begin match that
// took the whole rest of its line, line feed included: (context, kTwinKey)
// leads to the twin and (twin, kTwinMark) marks it. Capture keys of real
// clones always end with a NUL unit, so these never collide with them.
const ustring kTwinKey(1, u'\uFFFF');
const ustring kTwinMark(1, u'\uFFFE');

// A matcher over the compiled regexes of `source`, with results of its own.
MultiMatcher sameRegexes(const MultiMatcher& source)
{
    std::vector<ustring> names(source.size());
    std::vector<slate::usubstring> texts(source.size());
    RegexCache cache;
    for (size_t i = 0; i < source.size(); ++i) {
        names[i] = ustring(1, u'0') + toUstring(std::to_string(i));
        texts[i] = slate::usubstring(names[i]);
        cache.insert(texts[i], source.entry(i).sharedRegex());
    }
    return MultiMatcher(texts, cache);
}

// The twin of `context` for entering it at the end of a line. A state of a
// twin starts the next line with "\G" matching at the line's start, where
// the begin match left off; otherwise the twin is its context (same scopes,
// patterns and compiled regexes), so that states stay canonical.
LexerContext* lineEndTwin(CompiledLexer& lexer, LexerContext& context)
{
    CloneMap& clones = lexer.cloneMap();
    auto found = clones.find(CloneKey(&context, kTwinKey));
    if (found != clones.end())
        return found->second;
    LexerContext* twin = lexer.copyContext(context);
    twin->matcher = sameRegexes(context.matcher);
    if (context.isWhile)
        twin->whileMatcher = sameRegexes(context.whileMatcher);
    clones.emplace(CloneKey(&context, kTwinKey), twin);
    clones.emplace(CloneKey(twin, kTwinMark), twin);
    return twin;
}

// Builds `matcher` over `patterns` with a cache of its own; a pattern that
// does not compile leaves it empty, and the error is shown to the user (when
// anyone can be told).
void compileReporting(MultiMatcher& matcher, const std::vector<slate::usubstring>& patterns)
{
    try {
        matcher = MultiMatcher(patterns);
    } catch (const oniguruma::regex_error& error) {
        if (NotificationManager::alive())
            NotificationManager::get().displayError(toUstring(error.what()));
    }
}

bool isLineEndTwin(CompiledLexer& lexer, LexerContext* context)
{
    CloneMap& clones = lexer.cloneMap();
    return !clones.empty() && clones.find(CloneKey(context, kTwinMark)) != clones.end();
}

struct OpenCapture {
    const ScopeRecord* scope;
    const uchar* begin;
    const uchar* end;
};

void splitMatch(ScopeNamePool& pool, const LexerMatch& entry, const slate::usubstring& match,
                const std::vector<slate::usubstring>& captures, std::vector<TokenPiece>& pieces);

// The start of a line in "while" contexts: their while patterns are
// searched from the outermost open context inward, each from where the
// previous one's match ended (where "\G" then matches). Each match is the
// line prefix of its context, lexed in that context's state; the first
// context whose pattern finds nothing is left, with everything inside it,
// and the state it was entered from is returned. Moves `position` past the
// prefixes and sets `anchor` to the end of the last one.
LexerState* checkWhileContexts(MatchRegion& region, LexerWorkspace& workspace, LexerState* state,
                               const uchar* begin, const uchar* end, const uchar*& position,
                               const uchar*& anchor, std::vector<LexedToken>& out,
                               LexerState* lineState)
{
    std::vector<LexerState*>& whileStates = workspace.whileStates;
    whileStates.clear();
    for (LexerState* open = state; open; open = open->parent)
        if (open->context->isWhile)
            whileStates.push_back(open);
    ScopeNamePool& pool = state->compiledLexer->joinedScopes();
    std::vector<slate::usubstring>& captures = workspace.captures;
    std::vector<TokenPiece>& pieces = workspace.pieces;
    for (auto open = whileStates.rbegin(); open != whileStates.rend(); ++open) {
        LexerState& whileState = **open;
        LexerContext& context = *whileState.context;
        captures.clear();
        pieces.clear();
        region.restrictAnchor(anchor);
        slate::usubstring match;
        if (context.whileMatcher.search(region, 0, position, end, begin, end, match, captures,
                                        true) < 0)
            return whileState.parent;
        if (match.begin > position)
            pieces.push_back(TokenPiece{position, match.begin, context.contentScope});
        splitMatch(pool, context.whileMatch, match, captures, pieces);
        for (const TokenPiece& piece : pieces)
            appendTokens(piece.begin, piece.end, absoluteScope(pool, whileState, piece.scope),
                         lineState, out);
        anchor = match.end;
        position = std::max(position, match.end);
    }
    return state;
}

// Whether an empty step at `position` would enter `target` again: the
// contexts entered by empty steps here are the innermost of `state`, one
// for each of the last `entries` that lie here.
bool reentersHere(const LexerState* state, const LexerContext* target,
                  const std::vector<const uchar*>& entries, const uchar* position)
{
    const LexerContext* rule = target->rule();
    for (auto entry = entries.rbegin(); entry != entries.rend() && *entry == position; ++entry) {
        if (state->context->rule() == rule)
            return true;
        state = state->parent;
    }
    return false;
}

} // namespace

MatchKey nextLineKey() { return s_lineKey.fetch_add(1, std::memory_order_relaxed) + 1; }

slate::usubstring splitTokenText(const uchar* begin, const uchar* end)
{
    const uchar* p = begin;
    if (p == end)
        return slate::usubstring(begin, end);
    const uchar first = *p;
    if (first == u'\t') {
        while (p != end && *p == u'\t')
            ++p;
        return slate::usubstring(begin, p);
    }
    if (isSingleUnitPiece(first))
        return slate::usubstring(begin, begin + 1);
    for (; p != end; ++p) {
        const uchar unit = *p;
        if (unit == u' ') {
            while (p != end && *p == u' ')
                ++p;
            break;
        }
        if (p != begin && (unit == u'\t' || isSingleUnitPiece(unit)))
            break;
    }
    return slate::usubstring(begin, p);
}

ustring buildEndPattern(const slate::usubstring& pattern,
                        const std::vector<slate::usubstring>& captures)
{
    std::vector<slate::usubstring> references;
    findBackReferences(pattern, references);
    ustring result;
    result.reserve(pattern.length());
    const uchar* copied = pattern.begin;
    for (const slate::usubstring& reference : references) {
        result.append(copied, reference.begin);
        copied = reference.end;
        // The digits after the backslash; a number too large for any group
        // refers to nothing.
        size_t group = 0;
        for (const uchar* digit = reference.begin + 1; digit != reference.end; ++digit) {
            group = group * 10 + static_cast<size_t>(*digit - u'0');
            if (group > captures.size())
                break;
        }
        if (group >= 1 && group <= captures.size())
            result += escapeRegex(captures[group - 1]);
    }
    result.append(copied, pattern.end);
    return result;
}

LexerContext* cloneContext(CompiledLexer& lexer, LexerContext& target,
                           const std::vector<slate::usubstring>& captures)
{
    ustring key;
    for (const slate::usubstring& capture : captures) {
        key.append(capture.begin, capture.end);
        key += u'\0';
    }
    CloneMap& clones = lexer.cloneMap();
    auto found = clones.find(CloneKey(&target, key));
    if (found != clones.end())
        return found->second;

    LexerContext* clone = lexer.copyContext(target);
    if (!target.popIsParameterised) {
        clone->matcher = sameRegexes(target.matcher);
    } else if (clone->numMatches > 0 && !clone->srcRegexes.empty()) {
        const bool endFirst = clone->matches[0].action == LexerAction::aPOP;
        const size_t endIndex = endFirst ? 0 : clone->srcRegexes.size() - 1;
        const ustring endPattern = buildEndPattern(clone->srcRegexes[endIndex], captures);
        clone->srcRegexes[endIndex] = lexer.arena().copyString(endPattern);
        // On failure the clone keeps its empty matcher: the text up to the
        // end of the buffer stays inside it, which is what the grammar asked
        // for as far as it can be honoured.
        compileReporting(clone->matcher, clone->srcRegexes);
    }
    if (target.whileIsParameterised) {
        clone->whileSource =
            lexer.arena().copyString(buildEndPattern(target.whileSource, captures));
        // On failure the clone's empty while matcher never matches, so the
        // context ends at the next line.
        compileReporting(clone->whileMatcher, {clone->whileSource});
    } else if (target.isWhile) {
        clone->whileMatcher = sameRegexes(target.whileMatcher);
    }
    clones.emplace(CloneKey(&target, std::move(key)), clone);
    return clone;
}

LexMatchResult lexMatch(MatchRegion& region, ScopeNamePool& pool, LexerContext& context,
                        const uchar* position, const uchar* rangeEnd, const uchar* textBegin,
                        const uchar* textEnd, MatchKey key, slate::usubstring& match,
                        std::vector<slate::usubstring>& captures,
                        std::vector<TokenPiece>& pieces, bool allowEmpty, MatchKey lineKey)
{
    const int index = context.matcher.search(region, key, position, rangeEnd, textBegin, textEnd,
                                             match, captures, allowEmpty, lineKey);
    if (index < 0) {
        match = slate::usubstring();
        return LexMatchResult{LexerAction::aNONE, nullptr};
    }
    const LexerMatch& entry = context.matches[index];
    if (match.begin > position)
        pieces.push_back(TokenPiece{position, match.begin, context.contentScope});
    splitMatch(pool, entry, match, captures, pieces);
    return LexMatchResult{entry.action, entry.target};
}

namespace {

// Appends the pieces of `match`, which `entry`'s pattern found with the
// groups `captures`: its runs cut by the named capture groups.
void splitMatch(ScopeNamePool& pool, const LexerMatch& entry, const slate::usubstring& match,
                const std::vector<slate::usubstring>& captures, std::vector<TokenPiece>& pieces)
{
    const uchar* const matchBegin = match.begin;
    const uchar* const matchEnd = match.end;
    if (captures.empty()) {
        if (matchBegin != matchEnd)
            pieces.push_back(TokenPiece{matchBegin, matchEnd, entry.scope});
        return;
    }
    if (matchBegin == matchEnd)
        return;

    // Captures in group order. Only those from the first non-empty one that
    // begins inside the match up to the first that begins at or after its
    // end are used; a group that begins before the match (look-behind) is
    // ignored.
    const size_t count = captures.size();
    size_t ci = 0;
    while (ci < count && (captures[ci].empty() || captures[ci].begin < matchBegin))
        ++ci;
    size_t captureEnd = ci;
    while (captureEnd < count && captures[captureEnd].begin < matchEnd)
        ++captureEnd;

    OpenCapture stack[kMaxOpenCaptures];
    int depth = 0;
    const uchar* cur = matchBegin;
    while (cur < matchEnd) {
        const ScopeRecord* scope = depth ? stack[depth - 1].scope : entry.scope;
        if (ci == captureEnd && depth == 0) {
            pieces.push_back(TokenPiece{cur, matchEnd, scope});
            break;
        }
        const uchar* limit = depth ? stack[depth - 1].end : matchEnd;
        const uchar* next = ci < captureEnd ? captures[ci].begin : matchEnd;
        if (next < limit && next > cur) {
            pieces.push_back(TokenPiece{cur, next, scope});
            cur = next;
        } else if (next < limit) {
            // The capture begins here: open it.
            if (depth < kMaxOpenCaptures) {
                const ScopeRecord* captureScope =
                    ci < static_cast<size_t>(entry.numCaptures)
                        ? joinScope(pool, scope, entry.captureScopes[ci])
                        : scope;
                stack[depth++] = OpenCapture{captureScope, captures[ci].begin,
                                             std::min(captures[ci].end, matchEnd)};
            }
            ++ci;
            while (ci < captureEnd && (captures[ci].empty() || captures[ci].begin < cur))
                ++ci;
        } else {
            // The innermost open capture ends before the next one begins.
            const OpenCapture& top = stack[depth - 1];
            if (cur < top.end) {
                pieces.push_back(TokenPiece{cur, top.end, top.scope});
                cur = top.end;
            }
            --depth;
        }
    }
}

} // namespace

LineResumePoint lineStartPoint(LexerState* state)
{
    LineResumePoint point;
    point.lineState = state;
    point.state = state;
    return point;
}

namespace {

// A line offset for a pointer into the line at `begin`; -1 for null.
int64_t offsetIn(const uchar* begin, const uchar* p) { return p ? p - begin : -1; }
const uchar* pointerIn(const uchar* begin, int64_t offset)
{
    return offset < 0 ? nullptr : begin + offset;
}

} // namespace

bool lexLinePart(MatchRegion& region, LexerWorkspace& workspace, LineResumePoint& point,
                 const uchar* begin, const uchar* end, const uchar* stopAt,
                 std::vector<LexedToken>& out, LineKind kind, LineText text)
{
    if (point.finished)
        return true;
    const bool atLineStart = point.key == 0;
    // A part searched under a new key remembers nothing from the parts
    // before it: each pattern searches afresh from where the part starts,
    // which finds what the reused results would have told.
    const bool sameSearches =
        !atLineStart && text == LineText::Unchanged && point.searchedText == begin;
    const MatchKey key = sameSearches ? point.key : nextLineKey();
    LexerState* const lineState = point.lineState;
    LexerState* state = point.state;
    CompiledLexer& lexer = *state->compiledLexer;
    ScopeNamePool& pool = lexer.joinedScopes();
    std::vector<slate::usubstring>& captures = workspace.captures;
    std::vector<TokenPiece>& pieces = workspace.pieces;
    // "\G" matches only where the begin match of the current context ended
    // on this line; `anchors` keeps the anchors of the contexts entered
    // before it on this line, so it is empty exactly when the current state
    // was entered on an earlier line. Such a state has no anchor, unless its
    // begin match took the previous line's end.
    std::vector<const uchar*>& anchors = workspace.anchors;
    anchors.clear();
    // Where the search that entered each of those contexts began, in the
    // same order: a context entered where the loop now stands was entered by
    // an empty step here.
    std::vector<const uchar*>& entries = workspace.entries;
    entries.clear();
    // The contexts searched under `key`, in order (repeats allowed). The
    // matchers remember results per key, and a result found where "\G"
    // could not match is wrong where it can: when a context is entered again
    // on the same line (a nested block of the same kind), its first search
    // uses key 0, which reuses none of the patterns' remembered results and
    // leaves none that a later search under `key` would trust. The regexes'
    // shared last searches record where "\G" could match, so that search
    // still uses and leaves them under `key`.
    std::vector<const LexerContext*>& searched = workspace.searched;
    searched.clear();
    const uchar* anchor = nullptr;
    const uchar* position = begin;
    if (atLineStart) {
        anchor = isLineEndTwin(lexer, state->context) ? begin : nullptr;
    } else {
        anchor = pointerIn(begin, point.anchor);
        for (int64_t offset : point.anchors)
            anchors.push_back(pointerIn(begin, offset));
        for (int64_t offset : point.entries)
            entries.push_back(pointerIn(begin, offset));
        if (sameSearches)
            searched = point.searched;
        position = begin + point.column;
    }
    region.setTextStartIsDocumentStart(kind == LineKind::FirstLine);
    // The line stays as it is while it is lexed, and between the parts of a
    // line whose caller says so.
    if (!(sameSearches && region.holdsText(begin, end)))
        region.holdText(begin, end);
    struct HeldLine {
        MatchRegion& region;
        bool keep = false;
        ~HeldLine()
        {
            if (!keep)
                region.releaseText();
        }
    } held{region};
    const bool endsWithLineFeed = begin != end && end[-1] == u'\n';

    if (atLineStart && lexer.hasWhileContexts())
        state = checkWhileContexts(region, workspace, state, begin, end, position, anchor, out,
                                   lineState);

    bool stopped = false;
    for (;;) {
        captures.clear();
        pieces.clear();
        region.restrictAnchor(anchor);
        MatchKey searchKey = key;
        if (anchor == position && anchor &&
            std::find(searched.begin(), searched.end(), state->context) != searched.end()) {
            searchKey = 0;
        }
        if (searched.empty() || searched.back() != state->context)
            searched.push_back(state->context);
        slate::usubstring match;
        LexMatchResult step = lexMatch(region, pool, *state->context, position, end, begin, end,
                                       searchKey, match, captures, pieces, true, key);
        if (!match.begin)
            break;

        LexerState* next = state;
        LexerContext* entered = nullptr;
        if (step.action == LexerAction::aPOP) {
            if (state->parent)
                next = state->parent;
        } else if (step.action == LexerAction::aPUSH) {
            entered = step.target;
            if (match.end == position && reentersHere(state, entered, entries, position))
                break; // the rest of the line stays in this state
            if (entered->isParameterised())
                entered = cloneContext(lexer, *entered, captures);
            if (match.end == end && endsWithLineFeed)
                entered = lineEndTwin(lexer, *entered);
            next = enter(state, entered);
        }
        if (match.end == position) {
            // An empty step here (so it emits no piece).
            if (next == state) {
                // A match rule, which would match here again: its context
                // is left.
                if (state->parent)
                    state = state->parent;
                break;
            }
            if (step.action == LexerAction::aPOP && !entries.empty() &&
                entries.back() == position)
                break; // the context entered here stays open
        }

        for (const TokenPiece& piece : pieces)
            appendTokens(piece.begin, piece.end, absoluteScope(pool, *state, piece.scope),
                         lineState, out);
        if (step.action == LexerAction::aPUSH) {
            anchors.push_back(anchor);
            entries.push_back(position);
            anchor = match.end;
        } else if (next != state) {
            if (anchors.empty()) {
                anchor = nullptr;
            } else {
                anchor = anchors.back();
                anchors.pop_back();
                entries.pop_back();
            }
        }
        position = match.end;
        state = next;
        // Steps end only between tokens, so the line may stop after any of
        // them; not at its very end, where a step may still match empty.
        if (position >= stopAt && position < end) {
            stopped = true;
            break;
        }
    }
    region.unrestrictAnchor();
    region.setTextStartIsDocumentStart(true);
    point.state = state;
    if (stopped) {
        point.column = position - begin;
        point.anchor = offsetIn(begin, anchor);
        point.anchors.clear();
        for (const uchar* p : anchors)
            point.anchors.push_back(offsetIn(begin, p));
        point.entries.clear();
        for (const uchar* p : entries)
            point.entries.push_back(offsetIn(begin, p));
        point.key = key;
        point.searched = searched;
        point.searchedText = begin;
        held.keep = true;
        return false;
    }
    appendTokens(position, end, state->contentScope, lineState, out);
    point.column = end - begin;
    point.finished = true;
    point.anchors.clear();
    point.entries.clear();
    point.searched.clear();
    return true;
}

LexerState* lex(MatchRegion& region, LexerWorkspace& workspace, LexerState* state,
                const uchar* begin, const uchar* end, std::vector<LexedToken>& out, LineKind kind)
{
    LineResumePoint point = lineStartPoint(state);
    lexLinePart(region, workspace, point, begin, end, end, out, kind);
    return point.state;
}

LexerState* lex(MatchRegion& region, LexerState* state, const uchar* begin, const uchar* end,
                std::vector<LexedToken>& out, LineKind kind)
{
    thread_local LexerWorkspace workspace;
    return lex(region, workspace, state, begin, end, out, kind);
}
