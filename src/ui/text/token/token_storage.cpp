// Editing and incremental lexing of a token storage. An edit takes the whole
// lines around it out of the token sequence, joins their text with the
// change and lexes that run from the state stored in its first token; only
// when the state at the run's end differs from the state stored in the line
// after it does anything past the run become stale, and that is recorded as
// an invalid point rather than re-lexed at once. `validateUntil` pays for
// the stale part lazily, line by line, and stops as soon as a line starts in
// the state it was lexed from before.
//
// Lexer output and line copies go into per-thread buffers that keep their
// capacity between runs: a keystroke allocates nothing for lexing once the
// buffers have grown, and no run reserves megabytes it does not use.
#include "ui/text/token/token_storage.h"

#include <algorithm>
#include <cstring>

#include "canvas/unicode_font.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/spell_checker.h"
#include "ui/text/token/layout_walk.h"

namespace {

// Lexer output is handed to the token tree in chunks of about this many
// tokens (whole lines), which bounds the per-thread output vector.
constexpr size_t kLexedTokenChunk = 262144;

// Scratch of the lexing runs of one thread.
struct LexingScratch {
    std::vector<LexedToken> lexed;
    LexerWorkspace workspace;
    MatchRegion region;
    ustring text; // the joined lines of an edit
    std::vector<Token*> tokens; // the records of a cut of unlexed text
    ArenaAllocator lines{524288}; // line copies of a re-lex; cleared after each run
};

LexingScratch& scratch()
{
    thread_local LexingScratch s_scratch;
    return s_scratch;
}

// Appends the text of the tokens [from, to) to `out`.
void appendTokens(ustring& out, bucket_container::iterator from, bucket_container::iterator to)
{
    for (; from != to; ++from) {
        const Token* token = *from;
        out.append(token->begin, token->end);
    }
}

// The longest piece of unlexed text in one token.
constexpr int64_t kLongestUnlexedPiece = 4096;

// Whether any of the four UTF-16 units packed in `word` is a line break or a
// tab: a lane equal to the searched unit becomes zero after the exclusive-or,
// and subtracting one from each lane then borrows into that lane's top bit,
// which the lane itself did not have. As a yes-or-no answer it is exact
// whatever the byte order.
bool holdsBreakOrTab(uint64_t word)
{
    constexpr uint64_t kLaneOnes = 0x0001000100010001ull;
    constexpr uint64_t kLaneTops = 0x8000800080008000ull;
    const uint64_t breaks = word ^ (kLaneOnes * u'\n');
    const uint64_t tabs = word ^ (kLaneOnes * u'\t');
    return ((((breaks - kLaneOnes) & ~breaks) | ((tabs - kLaneOnes) & ~tabs)) & kLaneTops) != 0;
}

// The first line break or tab in [p, limit), or limit. Looks at eight units
// per step: a file load cuts every unit of the file through here.
const uchar* findBreakOrTab(const uchar* p, const uchar* limit)
{
    while (limit - p >= 8) {
        uint64_t low;
        uint64_t high;
        std::memcpy(&low, p, sizeof low);
        std::memcpy(&high, p + 4, sizeof high);
        if (holdsBreakOrTab(low) || holdsBreakOrTab(high))
            break;
        p += 8;
    }
    while (p != limit && *p != u'\n' && *p != u'\t')
        ++p;
    return p;
}

// Where the unlexed piece starting at `begin` (< end) ends. Unlexed text is
// cut coarsely, since lexing cuts it again: a line break on its own, a run of
// tabs on its own (layout widens a token that starts with a tab to its tab
// stop), and otherwise everything up to the next of either, at most
// kLongestUnlexedPiece units and never between the halves of a pair.
const uchar* unlexedPieceEnd(const uchar* begin, const uchar* end)
{
    if (*begin == u'\n')
        return begin + 1;
    const uchar* p = begin;
    if (*p == u'\t') {
        while (p != end && *p == u'\t')
            ++p;
        return p;
    }
    const uchar* const limit = end - begin > kLongestUnlexedPiece ? begin + kLongestUnlexedPiece : end;
    p = findBreakOrTab(p, limit);
    if (p == limit && p != end && p > begin + 1 && p[-1] >= 0xD800 && p[-1] < 0xDC00)
        --p;
    return p;
}

// The slots of the storage's memo of unlexed pieces.
constexpr int kUnlexedMemoBits = 8;

// The memo slot for the piece [begin, end): picked by its length and a few
// units from both ends, so a slot may hold another text.
Token*& unlexedMemoSlot(std::vector<Token*>& slots, const uchar* begin, const uchar* end)
{
    const size_t length = static_cast<size_t>(end - begin);
    uint64_t head;
    uint64_t tail;
    if (length >= 4) {
        std::memcpy(&head, begin, sizeof head);
        std::memcpy(&tail, end - 4, sizeof tail);
    } else {
        head = begin[0];
        tail = end[-1];
    }
    const uint64_t key = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ length) * 0xFF51AFD7ED558CCDull;
    return slots[key >> (64 - kUnlexedMemoBits)];
}

// The record in `slot` when it is the unlexed record of [begin, end) in
// `scope`; else null.
Token* unlexedMemoMatch(Token* slot, const uchar* begin, const uchar* end, const ScopeRecord* scope)
{
    if (!slot || slot->state || slot->scope != scope || slot->end - slot->begin != end - begin
        || std::memcmp(slot->begin, begin, static_cast<size_t>(end - begin) * sizeof(uchar)) != 0)
        return nullptr;
    return slot;
}

} // namespace

TokenStorage::TokenStorage()
    : m_tokenList(this), m_lineEnding(kLineEndingWindows), m_encoding(kEncodingUndefined)
{
    // Include paths are names, not words: grammars scope them under
    // meta.preprocessor.c.include or, in newer ones, meta.preprocessor.include.
    static const CompiledSelector s_check = compileSelector(
        u"markup.raw, "
        u"source string.quoted - punctuation - meta.preprocessor.c.include - meta.preprocessor.include, "
        u"source comment - source comment.block.preprocessor");
    static const CompiledSelector s_skip = compileSelector(
        u"source, constant, keyword, storage, support, variable, markup.underline.link, meta.tag");
    m_spellingFilter.checkSelector = s_check;
    m_spellingFilter.skipSelector = s_skip;
}

TokenStorage::TokenStorage(const uchar* begin, const uchar* end) : TokenStorage()
{
    insert(0, begin, end);
}

TokenStorage::~TokenStorage() = default;

bool TokenStorage::insert(int64_t position, const uchar* begin, const uchar* end)
{
    if (position < 0 || position > size())
        return false;
    if (begin == end)
        return true;
    const int64_t insertAt = position;
    const TokenLocation location = tokenAt(position);
    position -= location.characterOffset;
    m_findCacheValid = false;

    ustring& buffer = scratch().text;
    buffer.clear();
    bucket_container::iterator it(location);
    const bucket_container::iterator last = m_tokenList.end();
    if (it == last) {
        if (position == 0 && size() == 0) {
            tokenise(last, 0, m_syntax->lexer()->root(), begin, end);
            return true;
        }
        bucket_container::iterator bol = last;
        int64_t bolPosition = size();
        m_tokenList.lineStart(bol, bolPosition);
        if (bol == last) {
            // The text ends with a line break: re-lex the line it ends too.
            bol = m_tokenList.lastToken();
            bolPosition -= (*bol)->length();
            m_tokenList.lineStart(bol, bolPosition);
        }
        VASSERT(bol != m_tokenList.end());
        LexerState* state = (*bol)->state;
        appendTokens(buffer, bol, last);
        buffer.append(begin, end);
        shiftInvalidPoints(bolPosition, size());
        bucket_container::iterator after = m_tokenList.erase(bol, last);
        tokenise(after, bolPosition, state, buffer.data(), buffer.data() + buffer.size(),
                 insertAt + (end - begin));
        return true;
    }

    bucket_container::iterator bol = it;
    int64_t bolPosition = position;
    m_tokenList.lineStart(bol, bolPosition);
    bucket_container::iterator eol = it;
    int64_t eolPosition = position;
    m_tokenList.lineEnd(eol, eolPosition);
    VASSERT(bol != m_tokenList.end());
    LexerState* state = (*bol)->state;
    appendTokens(buffer, bol, eol);
    buffer.insert(static_cast<size_t>(insertAt - bolPosition), begin, static_cast<size_t>(end - begin));

    shiftInvalidPoints(bolPosition, eolPosition);
    bucket_container::iterator after = m_tokenList.erase(bol, eol);
    VASSERT(buffer.empty() || after == m_tokenList.end() || buffer[buffer.size() - 1] == '\n');
    tokenise(after, bolPosition, state, buffer.data(), buffer.data() + buffer.size(),
             insertAt + (end - begin));
    return true;
}

void TokenStorage::erase(SelectionRegion region)
{
    const int64_t from = region.begin();
    const int64_t to = region.end();
    VASSERT(from >= 0);
    VASSERT(to <= size());
    if (from == to || from < 0 || to > size())
        return;
    const TokenLocation a = tokenAt(from);
    const TokenLocation b = m_tokenList.locate(to);
    m_findCacheValid = false;

    bucket_container::iterator bol(a);
    int64_t bolPosition = from - a.characterOffset;
    m_tokenList.lineStart(bol, bolPosition);
    VASSERT(bol != m_tokenList.end());
    LexerState* state = (*bol)->state;

    ustring& buffer = scratch().text;
    buffer.clear();
    const bucket_container::iterator aToken(a);
    appendTokens(buffer, bol, aToken);
    buffer.append((*aToken)->begin, (*aToken)->begin + a.characterOffset);

    bucket_container::iterator eol(b);
    int64_t eolPosition = to - b.characterOffset;
    if (eol != m_tokenList.end()) {
        const Token* bToken = *eol;
        buffer.append(bToken->begin + b.characterOffset, bToken->end);
        bucket_container::iterator afterB = eol;
        ++afterB;
        m_tokenList.lineEnd(eol, eolPosition);
        appendTokens(buffer, afterB, eol);
    }
    shiftInvalidPoints(bolPosition, eolPosition);
    bucket_container::iterator after = m_tokenList.erase(bol, eol);
    tokenise(after, bolPosition, state, buffer.data(), buffer.data() + buffer.size(), from);
}

void TokenStorage::shiftInvalidPoints(int64_t from, int64_t to)
{
    if (from < m_lexAheadMark.position)
        m_lexAheadMark = LexAheadMark{};
    // The replaced run is whole lines from `from`: it holds the partly
    // lexed line, or lies before it and moves it.
    if (m_partialLine.lineStart >= from)
        m_partialLine = PartialLine();
    std::vector<int64_t>& points = m_invalidPoints;
    auto first = std::upper_bound(points.begin(), points.end(), from);
    auto last = std::upper_bound(first, points.end(), to);
    for (auto it = last; it != points.end(); ++it)
        *it -= to - from;
    points.erase(first, last);
}

void TokenStorage::addInvalidPoint(int64_t position)
{
    auto it = std::lower_bound(m_invalidPoints.begin(), m_invalidPoints.end(), position);
    if (it == m_invalidPoints.end() || *it != position)
        m_invalidPoints.insert(it, position);
}

void TokenStorage::tokenise(bucket_container::iterator at, int64_t position, LexerState* state,
                            const uchar* begin, const uchar* end, int64_t lexAtLeastUntil)
{
    SynchronisedScopedTimer timer(g_statTokenise);
    const int64_t length = end - begin;
    for (int64_t& point : m_invalidPoints)
        if (point > position)
            point += length;
    if (!state) {
        // The run lies in the part of the text not lexed yet: it is only cut
        // into tokens, and the invalid point before that part still covers it.
        cutUnlexed(at, position, begin, end);
        return;
    }
    // The text after the run, if any, must start in the state the run ends
    // in; unlexed text after it (no state) never does.
    const bool textAfter = at != m_tokenList.end();
    LexerState* const stateAfter = textAfter ? (*at)->state : nullptr;

    // A long run is lexed and inserted in chunks of whole lines, so that the
    // lexer output never grows far past kLexedTokenChunk entries.
    LexingScratch& s = scratch();
    s.lexed.clear();
    const uchar* line = begin;
    // A long line left lexed in part, and its point.
    const uchar* partialLine = nullptr;
    const uchar* partialLineEnd = nullptr;
    LineResumePoint partial;
    for (;;) {
        {
            SynchronisedScopedTimer lexTimer(g_statTokeniseLex);
            ScopedLock lock(m_syntax->lexerLock());
            while (line < end && s.lexed.size() < kLexedTokenChunk) {
                const uchar* lineEnd = std::find(line, end, u'\n');
                if (lineEnd != end)
                    ++lineEnd;
                const int64_t lineStart = position + (line - begin);
                const LineKind kind = lineStart == 0 ? LineKind::FirstLine : LineKind::LaterLine;
                if (lineEnd - line >= kPartialLineLength &&
                    lexAtLeastUntil - lineStart < lineEnd - line - 1) {
                    // A long line that goes on past what the edit needs:
                    // lexed only a little past it, like a read (relexFrom).
                    LineResumePoint point = lineStartPoint(state);
                    const uchar* stopAt =
                        line + std::max<int64_t>(lexAtLeastUntil - lineStart + 1, 1);
                    if (!lexLinePart(s.region, s.workspace, point, line, lineEnd, stopAt, s.lexed,
                                     kind)) {
                        partial = std::move(point);
                        partialLine = line;
                        partialLineEnd = lineEnd;
                        break;
                    }
                    state = point.state;
                } else {
                    state = lex(s.region, s.workspace, state, line, lineEnd, s.lexed, kind);
                }
                line = lineEnd;
            }
            if (partialLine) {
                const int64_t stop = position + (partialLine - begin) + partial.column;
                addInvalidPoint(stop);
            }
            if (line == end && !partialLine) {
                SynchronisedScopedTimer relexTimer(g_statTokeniseLexReLex);
                if (textAfter && stateAfter != state)
                    addInvalidPoint(position + length);
            }
        }
        createAndInsertTokens(at, s.lexed);
        s.lexed.clear();
        if (partialLine) {
            // The rest of the run follows unlexed, behind the invalid point
            // at the stop, and the line keeps its point.
            const uchar* stopText = partialLine + partial.column;
            const int64_t stop = position + (stopText - begin);
            cutUnlexed(bucket_container::iterator(m_tokenList.locate(stop)), stop, stopText, end);
            m_partialLine.lineStart = position + (partialLine - begin);
            m_partialLine.point = std::move(partial);
            m_partialLine.text.assign(partialLine, partialLineEnd);
            m_findCacheValid = false;
            compactRecordsIfWasteful();
            return;
        }
        if (line == end) {
            compactRecordsIfWasteful();
            return;
        }
        // Inserting moved the tokens; the one that followed the run now
        // starts right after what has been inserted.
        at = bucket_container::iterator(m_tokenList.locate(position + (line - begin)));
    }
}

void TokenStorage::cutUnlexed(bucket_container::iterator at, int64_t position, const uchar* begin,
                              const uchar* end)
{
    const ScopeRecord* scope = m_syntax->lexer()->root()->contentScope;
    std::vector<Token*>& tokens = scratch().tokens;
    if (m_unlexedPieces.empty())
        m_unlexedPieces.assign(size_t(1) << kUnlexedMemoBits, nullptr);
    const uchar* piece = begin;
    while (piece < end) {
        tokens.clear();
        {
            SynchronisedScopedTimer timer(g_statTokeniseCreateTokens);
            while (piece < end && tokens.size() < kLexedTokenChunk) {
                const uchar* pieceEnd = unlexedPieceEnd(piece, end);
                Token*& slot = unlexedMemoSlot(m_unlexedPieces, piece, pieceEnd);
                Token* token = unlexedMemoMatch(slot, piece, pieceEnd, scope);
                if (!token)
                    slot = token = internToken(LexedToken{piece, pieceEnd, scope, nullptr});
                tokens.push_back(token);
                piece = pieceEnd;
            }
        }
        {
            SynchronisedScopedTimer timer(g_statTokeniseInsert);
            m_tokenList.insert(at, tokens.data(), tokens.data() + tokens.size());
            g_statTokenCount.count += static_cast<int32_t>(tokens.size());
        }
        if (piece < end)
            at = bucket_container::iterator(m_tokenList.locate(position + (piece - begin)));
    }
    tokens.clear();
}

void TokenStorage::appendWithoutLexing(const uchar* begin, const uchar* end)
{
    if (begin == end)
        return;
    // The text may go on the partly lexed line, which its point knows
    // nothing of.
    m_partialLine = PartialLine();
    m_findCacheValid = false;
    const bucket_container::iterator last = m_tokenList.end();
    if (size() == 0) {
        addInvalidPoint(0);
        tokenise(last, 0, nullptr, begin, end);
        return;
    }
    bucket_container::iterator tail = m_tokenList.lastToken();
    if (!(*tail)->state) {
        // Unlexed text is cut anywhere: the new text simply follows it.
        tokenise(last, size(), nullptr, begin, end);
        return;
    }
    if ((*tail)->isLineBreak()) {
        // The new text starts a line of its own after lexed text.
        addInvalidPoint(size());
        tokenise(last, size(), nullptr, begin, end);
        return;
    }
    // The last line is lexed and unfinished: it joins the new text, unlexed.
    bucket_container::iterator bol = last;
    int64_t bolPosition = size();
    m_tokenList.lineStart(bol, bolPosition);
    VASSERT(bol != m_tokenList.end());
    ustring& buffer = scratch().text;
    buffer.clear();
    appendTokens(buffer, bol, last);
    buffer.append(begin, end);
    shiftInvalidPoints(bolPosition, size());
    if ((*bol)->state)
        addInvalidPoint(bolPosition);
    bucket_container::iterator after = m_tokenList.erase(bol, last);
    tokenise(after, bolPosition, nullptr, buffer.data(), buffer.data() + buffer.size());
}

bucket_container::iterator TokenStorage::lineBeforeInvalidPoint(int64_t point, int64_t& lineStart,
                                                              LexerState*& state)
{
    const TokenLocation location = tokenAt(point);
    VASSERT(location.characterOffset == 0);
    bucket_container::iterator start(location);
    lineStart = point;
    state = m_syntax->lexer()->root();
    if (start != m_tokenList.begin()) {
        --start;
        lineStart -= (*start)->length();
        m_tokenList.lineStart(start, lineStart);
        state = (*start)->state;
        // An invalid point always follows lexed text: the unlexed part of a
        // text starts at one and runs to the end, or to the end of a long
        // line lexed in part.
        VASSERT(state);
    }
    return start;
}

bool TokenStorage::relexFrom(int64_t startPoint, int64_t limit, int64_t& validatedUntil)
{
    ScopedLock lock(m_syntax->lexerLock());
    int64_t startPosition = 0;
    LexerState* state = nullptr;
    bucket_container::iterator start = lineBeforeInvalidPoint(startPoint, startPosition, state);
    m_findCacheValid = false;

    if (m_partialLine.lineStart == startPosition && m_partialLine.stop() == startPoint &&
        m_partialLine.point.lineState == state) {
        // The rest of a long line lexed in part: go on where it stopped.
        PartialLine partial = std::move(m_partialLine);
        m_partialLine = PartialLine();
        if (!lexLongLinePart(startPosition, partial.point, limit, &partial.text)) {
            validatedUntil = m_partialLine.stop();
            return true;
        }
        int64_t lineEnd = startPosition;
        start = bucket_container::iterator(m_tokenList.locate(startPosition));
        m_tokenList.lineEnd(start, lineEnd);
        validatedUntil = lineEnd;
        state = partial.point.state;
        if (start == m_tokenList.end() || (*start)->state == state)
            return false;
        if (lineEnd > limit)
            return true;
        startPosition = lineEnd;
    }

    LexingScratch& s = scratch();
    s.lexed.clear();
    int64_t relexed = 0;
    bool limitPassed = false;
    bucket_container::iterator it = start;
    // Replaces the lines lexed so far by their new tokens; `start` and `it`
    // then both stand at the first line not lexed yet.
    auto replaceLexedLines = [&] {
        if (start == it)
            return;
        bucket_container::iterator after = m_tokenList.erase(start, it);
        createAndInsertTokens(after, s.lexed);
        s.lexed.clear();
        s.lines.clear();
        start = it = bucket_container::iterator(m_tokenList.locate(startPosition + relexed));
    };
    while (it != m_tokenList.end()) {
        int64_t lineLength = 0;
        bucket_container::iterator lineEnd = it;
        m_tokenList.lineEnd(lineEnd, lineLength);
        const int64_t lineStart = startPosition + relexed;
        if (lineLength >= kPartialLineLength && limit - lineStart < lineLength - 1) {
            // A long line that the limit falls inside: lexed only a little
            // past the limit, unless that takes it to its end anyway.
            replaceLexedLines();
            LineResumePoint point = lineStartPoint(state);
            if (!lexLongLinePart(lineStart, point, limit, nullptr)) {
                validatedUntil = m_partialLine.stop();
                return true;
            }
            relexed += lineLength;
            state = point.state;
            start = it = bucket_container::iterator(m_tokenList.locate(startPosition + relexed));
        } else {
            uchar* line = static_cast<uchar*>(s.lines.allocateAligned(
                static_cast<size_t>(lineLength + 1) * sizeof(uchar), alignof(uchar)));
            uchar* out = line;
            for (; it != lineEnd; ++it)
                out = std::copy((*it)->begin, (*it)->end, out);
            *out = 0;
            relexed += lineLength;
            state = lex(s.region, s.workspace, state, line, line + lineLength, s.lexed,
                        lineStart == 0 ? LineKind::FirstLine : LineKind::LaterLine);
        }
        if (it == m_tokenList.end())
            break;
        if ((*it)->state == state)
            break;
        // Past the limit, but only when text is left: a run that reached the
        // end has validated everything.
        if (startPosition + relexed > limit) {
            limitPassed = true;
            break;
        }
        if (s.lexed.size() >= kLexedTokenChunk)
            replaceLexedLines();
    }
    replaceLexedLines();
    s.lexed.clear();
    s.lines.clear();
    validatedUntil = startPosition + relexed;
    return limitPassed;
}

bool TokenStorage::lexLongLinePart(int64_t lineStart, LineResumePoint& point, int64_t limit,
                                   ustring* keptText)
{
    LexingScratch& s = scratch();
    const int64_t from = lineStart + point.column;
    bucket_container::iterator first(m_tokenList.locate(from));
    // The line's text: the kept copy when the point was left on it, which
    // lets the lexer reuse what it found there; else a fresh copy.
    ustring text;
    LineText sameText = LineText::Changed;
    if (keptText && !keptText->empty()) {
        text = std::move(*keptText);
        sameText = LineText::Unchanged;
    } else {
        bucket_container::iterator it(m_tokenList.locate(lineStart));
        bucket_container::iterator lineEnd = it;
        int64_t lineLength = 0;
        m_tokenList.lineEnd(lineEnd, lineLength);
        text.reserve(static_cast<size_t>(lineLength));
        appendTokens(text, it, lineEnd);
    }
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    const int64_t stopColumn = limit - lineStart < end - begin ? limit - lineStart + 1 : end - begin;
    s.lexed.clear();
    const int64_t stopAt = std::max<int64_t>(stopColumn, point.column + 1);
    const bool finished = lexLinePart(s.region, s.workspace, point, begin, end,
                                      std::min(end, begin + stopAt),
                                      s.lexed,
                                      lineStart == 0 ? LineKind::FirstLine : LineKind::LaterLine,
                                      sameText);
    // The old tokens from `from` up to the first boundary at or after where
    // lexing stopped give way to the new ones and, past the stop, to the
    // same text cut unlexed.
    const int64_t stop = lineStart + point.column;
    int64_t boundary = stop;
    const TokenLocation stopLocation = m_tokenList.locate(stop);
    bucket_container::iterator last(stopLocation);
    if (stopLocation.characterOffset != 0) {
        boundary += (*last)->length() - stopLocation.characterOffset;
        ++last;
    }
    bucket_container::iterator after = m_tokenList.erase(first, last);
    if (boundary > stop)
        cutUnlexed(after, from, begin + (stop - lineStart), begin + (boundary - lineStart));
    createAndInsertTokens(bucket_container::iterator(m_tokenList.locate(from)), s.lexed);
    s.lexed.clear();
    m_findCacheValid = false;
    if (!finished) {
        m_partialLine.lineStart = lineStart;
        m_partialLine.point = std::move(point);
        m_partialLine.text = std::move(text);
    }
    compactRecordsIfWasteful();
    return finished;
}

void TokenStorage::validateUntil(int64_t position)
{
    if (m_invalidPoints.empty() || m_invalidPoints.front() > position)
        return;
    int64_t validatedUntil = 0;
    int64_t newInvalidPoint = -1;
    size_t walked = 0;
    // relexFrom never changes the invalid points, so the walk may index them.
    for (; walked < m_invalidPoints.size(); ++walked) {
        const int64_t point = m_invalidPoints[walked];
        if (point < validatedUntil)
            continue;
        if (point > position)
            break;
        if (relexFrom(point, position, validatedUntil)) {
            VASSERT(newInvalidPoint == -1);
            VASSERT(validatedUntil > position);
            newInvalidPoint = validatedUntil;
        }
    }
    m_invalidPoints.erase(m_invalidPoints.begin(), m_invalidPoints.begin() + walked);
    if (newInvalidPoint != -1)
        addInvalidPoint(newInvalidPoint);
}

void TokenStorage::setSyntax(slate::SP<Syntax> syntax)
{
    VASSERT(syntax);
    if (!syntax || syntax.get() == m_syntax.get())
        return;
    ScopedTimer timer(g_statChangeSyntax);
    clearSpellingDecisions();
    if (m_scopeStyler)
        m_scopeStyler->clearCache();
    m_syntax = std::move(syntax);
    if (size() == 0)
        clearTokens();
    else
        retokeniseAll();
}

void TokenStorage::retokeniseAll()
{
    const ustring text = str();
    clearTokens();
    insert(0, text);
}

void TokenStorage::clearTokens()
{
    m_tokenList.clear();
    m_tokenSet.clear();
    m_tokenArena.clear();
    for (OtherFont& other : m_otherFonts)
        other.widths.clear();
    m_unlexedPieces.clear();
    m_findCacheValid = false;
    m_invalidPoints.clear();
    m_lexAheadMark = LexAheadMark{};
    m_partialLine = PartialLine();
}

LayoutHandle TokenStorage::addLayout(const LayoutSettings& settings)
{
    m_layoutData.push_back(LayoutData{settings, 0, acquireWidths(settings.font)});
    m_layoutIndices.push_back(static_cast<uint32_t>(m_layoutData.size() - 1));
    const uint32_t index = m_layoutIndices.back();
    {
        ScopedTimer timer(g_statAddLayoutData);
        for (TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next)
            bucket->m_layout.emplace_back();
    }
    {
        ScopedTimer timer(g_statAddLayoutReflow);
        m_tokenList.container.m_first->relayoutFromHere(index);
    }
    ++m_layoutData[index].useCount;
    LayoutHandle handle;
    handle.tracker = this;
    handle.entry = std::prev(m_layoutIndices.end());
    return handle;
}

void TokenStorage::removeLayout(uint32_t index)
{
    VASSERT(index < m_layoutData.size());
    releaseWidths(m_layoutData[index].widths);
    m_layoutData.erase(m_layoutData.begin() + index);
    for (auto it = m_layoutIndices.begin(); it != m_layoutIndices.end();) {
        if (*it == index) {
            it = m_layoutIndices.erase(it);
            continue;
        }
        if (*it > index)
            --*it;
        ++it;
    }
    for (TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next)
        bucket->m_layout.erase(bucket->m_layout.begin() + index);
}

const TokenWidthTable* TokenStorage::acquireWidths(UnicodeFont* font)
{
    if (font == m_currentFont) {
        ++m_currentFontLayouts;
        return nullptr;
    }
    for (OtherFont& other : m_otherFonts) {
        if (other.font == font) {
            ++other.layouts;
            return &other.widths;
        }
    }
    if (m_currentFontLayouts == 0) {
        m_currentFont = font;
        m_currentFontLayouts = 1;
        remeasureTokens();
        return nullptr;
    }
    m_otherFonts.push_back(OtherFont{font, 1, {}});
    OtherFont& added = m_otherFonts.back();
    added.widths.reserve(m_tokenSet.size());
    m_tokenSet.forEach([&](const Token* token) { added.widths.emplace(token, measureToken(token, *font)); });
    return &added.widths;
}

void TokenStorage::releaseWidths(const TokenWidthTable* widths)
{
    if (!widths) {
        --m_currentFontLayouts;
        return;
    }
    for (auto it = m_otherFonts.begin(); it != m_otherFonts.end(); ++it) {
        if (&it->widths == widths) {
            if (--it->layouts == 0)
                m_otherFonts.erase(it);
            return;
        }
    }
}

void TokenStorage::layoutSize(uint32_t layoutIndex, double& width, double& height) const
{
    const double lineStep = m_layoutData[layoutIndex].settings.lineHeight();
    const TokenBuffer* root = m_tokenList.container.m_root;
    if (!root) {
        width = 0.0;
        height = lineStep;
        return;
    }
    const BucketLayout& record = root->m_layout[layoutIndex];
    width = std::max(record.width, record.descendantsWidth);
    height = record.height + record.descendantsHeight + lineStep;
}
