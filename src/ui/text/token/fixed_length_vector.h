// A vector of at most MAX_SIZE elements stored in place, for the token tree's
// buckets: one allocation holds a whole bucket of token pointers. Elements
// must be trivially copyable (they are moved with memmove and never
// constructed or destroyed one by one).
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "ui/log.h"

template <typename T, uint32_t MAX_SIZE>
class fixed_length_vector {
    static_assert(std::is_trivially_copyable<T>::value, "elements are moved as bytes");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    fixed_length_vector() = default;

    static constexpr uint32_t capacity() { return MAX_SIZE; }
    uint32_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    bool full() const { return m_size == MAX_SIZE; }

    T& operator[](uint32_t index) { return m_elements[index]; }
    const T& operator[](uint32_t index) const { return m_elements[index]; }
    T* begin() { return m_elements; }
    T* end() { return m_elements + m_size; }
    const T* begin() const { return m_elements; }
    const T* end() const { return m_elements + m_size; }
    T& back() { return m_elements[m_size - 1]; }
    const T& back() const { return m_elements[m_size - 1]; }

    // Moves the elements from `pos` up by the length of [seqBegin, seqEnd) and
    // copies the range in. The range must not come from this vector and must
    // fit: overflowing is a broken invariant.
    void insert(T* pos, const T* seqBegin, const T* seqEnd)
    {
        const uint32_t count = static_cast<uint32_t>(seqEnd - seqBegin);
        VASSERT(size() + (seqEnd - seqBegin) <= MAX_SIZE);
        VASSERT(pos >= begin() && pos <= end());
        if (count == 0)
            return;
        std::memmove(pos + count, pos, static_cast<size_t>(end() - pos) * sizeof(T));
        std::memcpy(pos, seqBegin, count * sizeof(T));
        m_size += count;
    }

    // Removes [first, last) and moves the tail down.
    void erase(T* first, T* last)
    {
        VASSERT(first >= begin() && first <= last && last <= end());
        std::memmove(first, last, static_cast<size_t>(end() - last) * sizeof(T));
        m_size -= static_cast<uint32_t>(last - first);
    }

    void clear() { m_size = 0; }

private:
    T m_elements[MAX_SIZE]; // only [0, m_size) is ever read
    uint32_t m_size = 0;
};
