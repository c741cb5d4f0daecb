// The token storage's side of lexing off the main thread (lex_ahead.h):
// copying out the stale lines, and taking back their tokens only when they
// are still right. A slice is right when its first line starts at a line
// start in the state stored there, that state is itself right (no invalid
// point at or before it), and its lines are still the text there: lexing
// depends on nothing else, so no edit counter or lock is needed to trust it.
#include <algorithm>
#include <cstring>

#include "ui/text/syntax/syntax.h"
#include "ui/text/token/lex_ahead.h"
#include "ui/text/token/token_storage.h"

bool TokenStorage::validateNearby(int64_t position, int64_t budget)
{
    if (m_invalidPoints.empty() || m_invalidPoints.front() > position)
        return true;
    if (position - m_invalidPoints.front() > budget)
        return false;
    validateUntil(position);
    return true;
}

std::shared_ptr<LexAheadRun> TokenStorage::takeLexAheadRun(int64_t maxUnits)
{
    if (m_invalidPoints.empty())
        return nullptr;
    auto run = std::make_shared<LexAheadRun>();
    run->syntax = m_syntax;
    bucket_container::iterator it;
    {
        ScopedLock lock(m_syntax->lexerLock());
        it = lineBeforeInvalidPoint(m_invalidPoints.front(), run->position, run->state);
    }
    // Whole lines up to the first line end past the first invalid point and
    // past `maxUnits`, but no line longer than `maxUnits`: a slice is whole
    // lines, and the main thread takes one back in one step. Such a line is
    // left to the readers, which lex only the part of it they need, and the
    // run ends before it (or there is none).
    const int64_t wanted = std::max(m_invalidPoints.front() - run->position + 1, maxUnits);
    const bucket_container::iterator last = m_tokenList.end();
    while (it != last && static_cast<int64_t>(run->text.size()) < wanted) {
        bucket_container::iterator lineEnd = it;
        int64_t lineLength = 0;
        m_tokenList.lineEnd(lineEnd, lineLength);
        if (lineLength > maxUnits)
            break;
        run->text.reserve(run->text.size() + static_cast<size_t>(lineLength));
        for (; it != lineEnd; ++it)
            run->text.append((*it)->begin, (*it)->end);
    }
    if (run->text.empty())
        return nullptr;
    return run;
}

TokenStorage::SliceOutcome TokenStorage::applyLexAheadSlice(const LexAheadSlice& slice)
{
    const int64_t from = slice.position;
    const int64_t to = from + (slice.end - slice.begin);
    if (slice.run->syntax.get() != m_syntax.get() || to > size())
        return SliceOutcome::Outdated;
    const auto firstStale = std::lower_bound(m_invalidPoints.begin(), m_invalidPoints.end(), from);
    if (firstStale == m_invalidPoints.end() || *firstStale > to)
        return SliceOutcome::NotNeeded;

    const TokenLocation location = tokenAt(from);
    if (location.characterOffset != 0)
        return SliceOutcome::Outdated;
    bucket_container::iterator first(location);
    // The state the slice starts in must be the one its first line really
    // starts in: the root's at the start, the one the last slice taken back
    // ended in where that slice ended, or else the one stored there when
    // nothing before it is stale.
    bool stateRight;
    if (from == 0)
        stateRight = slice.state == m_syntax->lexer()->root();
    else if (from == m_lexAheadMark.position)
        stateRight = slice.state == m_lexAheadMark.state;
    else
        stateRight = firstStale == m_invalidPoints.begin() && *firstStale > from
                  && (*first)->state == slice.state && charAt(from - 1) == u'\n';
    if (!stateRight)
        return SliceOutcome::Outdated;
    // The slice's lines must be the text there, ending at a line start or at
    // the end of the text.
    bucket_container::iterator it = first;
    const uchar* expected = slice.begin;
    const bucket_container::iterator last = m_tokenList.end();
    while (expected != slice.end) {
        if (it == last)
            return SliceOutcome::Outdated;
        const Token* token = *it;
        const int64_t length = token->length();
        if (slice.end - expected < length
            || std::memcmp(token->begin, expected, static_cast<size_t>(length) * sizeof(uchar)) != 0)
            return SliceOutcome::Outdated;
        expected += length;
        ++it;
    }
    if (it != last && slice.end[-1] != u'\n')
        return SliceOutcome::Outdated;

    m_findCacheValid = false;
    const bool textAfter = it != last;
    const bool stateAgrees = textAfter && (*it)->state == slice.endState;
    if (m_partialLine.lineStart >= from && m_partialLine.lineStart < to)
        m_partialLine = PartialLine();
    bucket_container::iterator after = m_tokenList.erase(first, it);
    createAndInsertTokens(after, slice.tokens);
    // Every line of the slice is right now; the one after it is stale
    // exactly when it was lexed from another state.
    m_invalidPoints.erase(std::lower_bound(m_invalidPoints.begin(), m_invalidPoints.end(), from),
                          std::upper_bound(m_invalidPoints.begin(), m_invalidPoints.end(), to));
    if (textAfter && !stateAgrees)
        addInvalidPoint(to);
    m_lexAheadMark = textAfter ? LexAheadMark{to, slice.endState} : LexAheadMark{};
    compactRecordsIfWasteful();
    return SliceOutcome::Applied;
}
