// Position questions on a token storage: the token at an offset, rows and
// columns, text extraction and the character iterator. Everything is one
// descent of the bucket tree plus one bucket scan, except sequential access
// by position, which the one-entry find cache answers by stepping its
// iterator.
#include "ui/text/token/token_storage.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/statistics.h"

TokenStorage::iterator::iterator(const TokenLocation& location, int64_t position)
    : m_position(position), m_bucket(location.bucket), m_index(location.index),
      m_characterOffset(location.characterOffset)
{
    VASSERT(position >= 0);
}

TokenStorage::iterator& TokenStorage::iterator::operator++()
{
    ++m_position;
    if (++m_characterOffset < m_bucket->tokens[m_index]->length())
        return *this;
    m_characterOffset = 0;
    ++m_index;
    while (m_index >= m_bucket->size() && m_bucket->next) {
        m_bucket = m_bucket->next;
        m_index = 0;
    }
    return *this;
}

TokenStorage::iterator& TokenStorage::iterator::operator--()
{
    --m_position;
    if (--m_characterOffset >= 0)
        return *this;
    if (m_index > 0) {
        --m_index;
    } else {
        TokenBuffer* bucket = m_bucket->prev;
        while (bucket && bucket->empty())
            bucket = bucket->prev;
        if (!bucket) {
            m_characterOffset = 0;
            return *this;
        }
        m_bucket = bucket;
        m_index = bucket->size() - 1;
    }
    m_characterOffset = static_cast<int32_t>(m_bucket->tokens[m_index]->length()) - 1;
    return *this;
}

TokenLocation TokenStorage::tokenAt(int64_t position)
{
    position = std::clamp<int64_t>(position, 0, size());
    VASSERT(!m_tokenList.container.empty());
    if (m_findCacheValid) {
        const int64_t cached = m_findCache.position();
        if (position == cached) {
            ++g_statFindCacheHits.count;
            return m_findCache.location();
        }
        if (position == cached + 1) {
            ++g_statFindCacheHits.count;
            ++m_findCache;
            return m_findCache.location();
        }
        if (position == cached - 1) {
            ++g_statFindCacheHits.count;
            --m_findCache;
            return m_findCache.location();
        }
    }
    ++g_statFindCacheMisses.count;
    const TokenLocation location = m_tokenList.locate(position);
    m_findCache = iterator(location, position);
    m_findCacheValid = true;
    return location;
}

TokenStorage::iterator TokenStorage::iteratorAt(int64_t position)
{
    position = std::clamp<int64_t>(position, 0, size());
    return iterator(tokenAt(position), position);
}

TokenStorage::iterator TokenStorage::end()
{
    const TokenBuffer* last = m_tokenList.container.m_last;
    return iterator(TokenLocation{m_tokenList.container.m_last, last->size(), 0}, size());
}

void TokenStorage::rowcol(int64_t position, int32_t& row, int32_t& column) const
{
    position = std::clamp<int64_t>(position, 0, size());
    const TokenLocation location = m_tokenList.locateWithRow(position, row);
    bucket_container::iterator it(location);
    int64_t start = 0;
    m_tokenList.lineStart(it, start);
    column = static_cast<int32_t>(location.characterOffset - start);
}

int64_t TokenStorage::textPoint(int32_t row, int32_t column)
{
    validateUntil(0);
    const int64_t start = m_tokenList.rowStart(row);
    if (start == -1)
        return size();
    return std::clamp<int64_t>(start + static_cast<int64_t>(column), 0, size());
}

ustring TokenStorage::substr(SelectionRegion region) const
{
    const int64_t from = std::max<int64_t>(region.begin(), 0);
    const int64_t to = std::min<int64_t>(region.end(), size());
    ustring result;
    if (from >= to)
        return result;
    result.reserve(static_cast<size_t>(to - from));
    const TokenLocation a = m_tokenList.locate(from);
    const TokenLocation b = m_tokenList.locate(to);
    bucket_container::iterator it(a);
    const bucket_container::iterator last(b);
    if (it == last) {
        const Token* token = *it;
        result.append(token->begin + a.characterOffset, token->begin + b.characterOffset);
    } else {
        result.append((*it)->begin + a.characterOffset, (*it)->end);
        for (++it; it != last; ++it)
            result.append((*it)->begin, (*it)->end);
        if (last != m_tokenList.end())
            result.append((*last)->begin, (*last)->begin + b.characterOffset);
    }
    VASSERT(result.size() == static_cast<size_t>(to - from));
    return result;
}

uchar TokenStorage::charAt(int64_t position)
{
    if (position < 0 || position >= size())
        return 0;
    const TokenLocation location = tokenAt(position);
    return location.bucket->tokens[location.index]->begin[location.characterOffset];
}

int32_t TokenStorage::newlineCount(SelectionRegion region) const
{
    int32_t first = 0;
    int32_t last = 0;
    m_tokenList.locateWithRow(region.begin(), first);
    m_tokenList.locateWithRow(region.end(), last);
    return last - first;
}
