// The token sequence of a storage: token pointers held in buckets of up to
// 512 under a red-black tree (`tree_list`) with subtree sums, so that the
// token at a character offset, the row of an offset and the offset of a row
// each cost one descent plus one bucket scan, and an edit touches a few
// buckets only.
//
// Buckets split only when a tail does not fit into the next bucket, and merge
// lazily: when an insertion moves to another bucket, the bucket touched last
// absorbs neighbours while the two together stay below 512. So typing at one
// place never splits or merges over and over.
//
// Never empty of buckets: an empty text is one empty bucket. The tokens are
// not owned. One thread at a time (the storage's).
#pragma once

#include <cstdint>

#include "ui/text/token/token_buffer.h"
#include "ui/text/token/tree_list.h"

// One character of the text: the token at (bucket, index) and the offset
// inside its text. The end of the text is (last bucket, its size, 0).
struct TokenLocation {
    TokenBuffer* bucket = nullptr;
    uint32_t index = 0;
    int32_t characterOffset = 0;

    bool operator==(const TokenLocation& other) const
    {
        return bucket == other.bucket && index == other.index
            && characterOffset == other.characterOffset;
    }
    bool operator!=(const TokenLocation& other) const { return !(*this == other); }
};

class bucket_container {
public:
    // A token slot. Stepping keeps it off the end of any bucket but the last,
    // so the only slot past a bucket's tokens it rests on is end(). Valid
    // until the next insert, erase or clear.
    class iterator {
    public:
        iterator() = default;
        iterator(TokenBuffer* bucket, uint32_t index) : m_bucket(bucket), m_index(index) {}
        explicit iterator(const TokenLocation& location)
            : m_bucket(location.bucket), m_index(location.index)
        {
        }

        TokenBuffer* bucket() const { return m_bucket; }
        uint32_t index() const { return m_index; }
        // The token in the slot; not for end().
        Token* operator*() const { return m_bucket->tokens[m_index]; }

        iterator& operator++();
        // Before the first token the iterator becomes (null, 0).
        iterator& operator--();

        bool operator==(const iterator& other) const
        {
            return m_bucket == other.m_bucket && m_index == other.m_index;
        }
        bool operator!=(const iterator& other) const { return !(*this == other); }

    private:
        TokenBuffer* m_bucket = nullptr;
        uint32_t m_index = 0;
    };

    // `storage` owns the container and is handed to every bucket (null for a
    // container used on its own).
    explicit bucket_container(TokenStorage* storage);
    bucket_container(const bucket_container&) = delete;
    bucket_container& operator=(const bucket_container&) = delete;

    iterator begin() const { return iterator(container.m_first, 0); }
    iterator end() const { return iterator(container.m_last, container.m_last->size()); }
    // The slot of the last token, or end() when there is no token.
    iterator lastToken() const;

    // Inserts the token pointers [first, last) before `at`. Invalidates every
    // iterator.
    void insert(iterator at, Token* const* first, Token* const* last);
    // Removes the tokens of [from, to) and returns the slot after them.
    // Invalidates every other iterator.
    iterator erase(iterator from, iterator to);
    // Drops every token and bucket and starts again with one empty bucket.
    void clear();

    // Totals of the whole text, read at the root.
    int64_t size() const { return container.totalChars(); }
    int32_t lineBreakCount() const { return container.totalLines(); }
    int32_t misspelledCount() const { return container.totalMisspelled(); }

    // The character at `position`. A position on the boundary of two tokens
    // belongs to the later one, with offset 0; the size of the text gives the
    // end location, anything beyond it too, and anything below 0 the first
    // slot.
    TokenLocation locate(int64_t position) const;
    // As `locate`, also giving the 0-based row of `position`: a line break
    // belongs to the row it ends, the position after it to the next row.
    // Beyond the text the row is the number of line breaks; below 0 it is 0.
    TokenLocation locateWithRow(int64_t position, int32_t& row) const;
    // The offset at which `row` starts: 0 for row 0, else the offset just
    // after the row-th line break; -1 when the text has fewer line breaks or
    // `row` is negative.
    int64_t rowStart(int64_t row) const;
    // Moves `it`, whose token starts at `position`, back to the first token of
    // its line, and `position` with it.
    void lineStart(iterator& it, int64_t& position) const;
    // Moves `it` and `position` forward to just after the next line break
    // (the line break in `it` itself included), or to end().
    void lineEnd(iterator& it, int64_t& position) const;

    tree_list container;
    // The bucket the last insertion or erasure left behind: the candidate for
    // a lazy merge. Always a live bucket.
    TokenBuffer* m_lastTouched;
    TokenStorage* m_storage;

private:
    TokenLocation descend(int64_t position, int32_t* row) const;
    void mergeAround(TokenBuffer* bucket, const TokenBuffer* keep);
    // Put tokens into, or take them out of, one bucket and carry the counts.
    void putTokens(TokenBuffer* bucket, uint32_t index, Token* const* first, Token* const* last);
    void takeTokens(TokenBuffer* bucket, uint32_t from, uint32_t to);
    TokenBuffer* newBucketBefore(TokenBuffer* at);
};
