// Token insertion, erasure and lookup over the bucket tree. Every change of a
// bucket's tokens goes through putTokens/takeTokens, which count exactly the
// tokens moved and hand the difference to the tree; the sums are therefore
// never recomputed from scratch. The descents read only the subtree sums on
// the way down and scan one bucket at the bottom.
#include "ui/text/token/bucket_container.h"

#include <algorithm>

#include "ui/log.h"

namespace {

struct TokenCounts {
    int64_t chars = 0;
    int32_t lines = 0;
    int32_t misspelled = 0;
};

TokenCounts countTokens(Token* const* first, Token* const* last)
{
    TokenCounts counts;
    for (; first != last; ++first) {
        const Token* token = *first;
        counts.chars += token->length();
        counts.lines += token->isLineBreak();
        counts.misspelled += token->isMisspelled();
    }
    return counts;
}

} // namespace

bucket_container::iterator& bucket_container::iterator::operator++()
{
    ++m_index;
    while (m_index >= m_bucket->size() && m_bucket->next) {
        m_bucket = m_bucket->next;
        m_index = 0;
    }
    return *this;
}

bucket_container::iterator& bucket_container::iterator::operator--()
{
    if (m_index > 0) {
        --m_index;
        return *this;
    }
    TokenBuffer* bucket = m_bucket->prev;
    while (bucket && bucket->empty())
        bucket = bucket->prev;
    m_bucket = bucket;
    m_index = bucket ? bucket->size() - 1 : 0;
    return *this;
}

bucket_container::bucket_container(TokenStorage* storage) : m_storage(storage)
{
    m_lastTouched = newBucketBefore(nullptr);
}

TokenBuffer* bucket_container::newBucketBefore(TokenBuffer* at)
{
    TokenBuffer* bucket = new TokenBuffer(m_storage);
    container.insertBefore(at, bucket);
    return bucket;
}

bucket_container::iterator bucket_container::lastToken() const
{
    for (TokenBuffer* bucket = container.m_last; bucket; bucket = bucket->prev) {
        if (!bucket->empty())
            return iterator(bucket, bucket->size() - 1);
    }
    return end();
}

void bucket_container::putTokens(TokenBuffer* bucket, uint32_t index, Token* const* first, Token* const* last)
{
    bucket->tokens.insert(bucket->tokens.begin() + index, first, last);
    const TokenCounts counts = countTokens(first, last);
    container.adjustCounts(bucket, counts.chars, counts.lines, counts.misspelled);
}

void bucket_container::takeTokens(TokenBuffer* bucket, uint32_t from, uint32_t to)
{
    if (from == to)
        return;
    Token** first = bucket->tokens.begin() + from;
    Token** last = bucket->tokens.begin() + to;
    const TokenCounts counts = countTokens(first, last);
    bucket->tokens.erase(first, last);
    container.adjustCounts(bucket, -counts.chars, -counts.lines, -counts.misspelled);
}

void bucket_container::mergeAround(TokenBuffer* bucket, const TokenBuffer* keep)
{
    for (TokenBuffer* next = bucket->next;
         next && next != keep && next->size() + bucket->size() < kTokenBufferCapacity; next = bucket->next) {
        putTokens(bucket, bucket->size(), next->tokens.begin(), next->tokens.end());
        container.erase(next);
    }
    for (TokenBuffer* prev = bucket->prev;
         prev && prev != keep && prev->size() + bucket->size() < kTokenBufferCapacity; prev = bucket->prev) {
        putTokens(bucket, 0, prev->tokens.begin(), prev->tokens.end());
        container.erase(prev);
    }
}

void bucket_container::insert(iterator at, Token* const* first, Token* const* last)
{
    if (first == last)
        return;
    TokenBuffer* atNode = at.bucket();
    VASSERT(atNode != nullptr);
    if (m_lastTouched != atNode)
        mergeAround(m_lastTouched, atNode);

    const uint32_t index = at.index();
    VASSERT(index <= atNode->size());
    const uint32_t tail = atNode->size() - index;
    if (tail > 0) {
        TokenBuffer* next = atNode->next;
        if (!next || next->size() + tail > kTokenBufferCapacity)
            next = newBucketBefore(atNode->next);
        putTokens(next, 0, atNode->tokens.begin() + index, atNode->tokens.end());
        takeTokens(atNode, index, atNode->size());
    }

    TokenBuffer* lastFilled = atNode;
    TokenBuffer* lastReceiver = atNode;
    auto fill = [&](TokenBuffer* bucket) {
        const size_t room = kTokenBufferCapacity - bucket->size();
        const size_t count = std::min(room, static_cast<size_t>(last - first));
        if (count == 0)
            return;
        putTokens(bucket, bucket->size(), first, first + count);
        first += count;
        lastReceiver = bucket;
    };
    fill(atNode);
    // The new buckets go right after the one filled last, that is, in front of
    // the bucket that took the tail.
    while (first != last) {
        lastFilled = newBucketBefore(lastFilled->next);
        fill(lastFilled);
    }
    m_lastTouched = lastReceiver;
}

bucket_container::iterator bucket_container::erase(iterator from, iterator to)
{
    if (from == to)
        return from;
    const bool fromAtStart = from.bucket() == container.m_first && from.index() == 0;
    iterator before = from;
    if (!fromAtStart)
        --before;

    TokenBuffer* beginNode = from.bucket();
    TokenBuffer* endNode = to.bucket();
    if (beginNode == endNode) {
        takeTokens(beginNode, from.index(), to.index());
    } else {
        takeTokens(beginNode, from.index(), beginNode->size());
        while (beginNode->next != endNode) {
            VASSERT(beginNode->next);
            container.erase(beginNode->next);
        }
        takeTokens(endNode, 0, to.index());
    }
    // The last remaining bucket always stays.
    auto hasCompany = [](const TokenBuffer* bucket) { return bucket->prev || bucket->next; };
    if (beginNode->empty() && hasCompany(beginNode))
        container.erase(beginNode);
    if (endNode != beginNode && endNode->empty() && hasCompany(endNode))
        container.erase(endNode);

    iterator result = fromAtStart ? begin() : ++before;
    VASSERT(result.bucket() != nullptr);
    m_lastTouched = result.bucket();
    return result;
}

void bucket_container::clear()
{
    container.clear();
    m_lastTouched = newBucketBefore(nullptr);
}

TokenLocation bucket_container::descend(int64_t position, int32_t* row) const
{
    VASSERT(!container.empty());
    int32_t lines = 0;
    if (position < 0) {
        if (row)
            *row = 0;
        return TokenLocation{container.m_first, 0, 0};
    }
    int64_t passed = 0;
    for (TokenBuffer* node = container.m_root; node;) {
        const int64_t leftChars = node->left ? node->left->subtreeChars() : 0;
        const int32_t leftLines = node->left ? node->left->subtreeLines() : 0;
        if (passed + leftChars > position) {
            node = node->left;
            continue;
        }
        if (passed + leftChars + node->ownChars > position) {
            lines += leftLines;
            const int64_t offset = position - passed - leftChars;
            int64_t skipped = 0;
            uint32_t index = 0;
            for (; index < node->size(); ++index) {
                const Token* token = node->tokens[index];
                if (skipped + token->length() > offset)
                    break;
                skipped += token->length();
                lines += token->isLineBreak();
            }
            VASSERT(index < node->size());
            if (row)
                *row = lines;
            return TokenLocation{node, index, static_cast<int32_t>(offset - skipped)};
        }
        passed += leftChars + node->ownChars;
        lines += leftLines + node->ownLines;
        node = node->right;
    }
    if (row)
        *row = lines;
    return TokenLocation{container.m_last, container.m_last->size(), 0};
}

TokenLocation bucket_container::locate(int64_t position) const
{
    return descend(position, nullptr);
}

TokenLocation bucket_container::locateWithRow(int64_t position, int32_t& row) const
{
    return descend(position, &row);
}

int64_t bucket_container::rowStart(int64_t row) const
{
    if (row == 0)
        return 0;
    if (row < 0 || row > container.totalLines())
        return -1;
    // The row starts right after its row-th line break; find the subtree that
    // holds that line break, then the token inside its bucket.
    int64_t chars = 0;
    int64_t lines = 0;
    for (TokenBuffer* node = container.m_root; node;) {
        const int64_t leftChars = node->left ? node->left->subtreeChars() : 0;
        const int64_t leftLines = node->left ? node->left->subtreeLines() : 0;
        if (lines + leftLines >= row) {
            node = node->left;
            continue;
        }
        if (lines + leftLines + node->ownLines >= row) {
            chars += leftChars;
            lines += leftLines;
            for (const Token* token : node->tokens) {
                chars += token->length();
                if (token->isLineBreak() && ++lines == row)
                    return chars;
            }
            break;
        }
        chars += leftChars + node->ownChars;
        lines += leftLines + node->ownLines;
        node = node->right;
    }
    VASSERT(!"line sums disagree with the tokens");
    return -1;
}

void bucket_container::lineStart(iterator& it, int64_t& position) const
{
    while (it != begin()) {
        iterator before = it;
        --before;
        if (!before.bucket())
            break;
        const Token* token = *before;
        if (token->isLineBreak())
            break;
        it = before;
        position -= token->length();
    }
}

void bucket_container::lineEnd(iterator& it, int64_t& position) const
{
    const iterator last = end();
    while (it != last) {
        const Token* token = *it;
        position += token->length();
        ++it;
        if (token->isLineBreak())
            break;
    }
}
