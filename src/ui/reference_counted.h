// Intrusive shared ownership. Objects shared between owners (and threads)
// derive from slate::ReferenceCounted<T> and travel in slate::SP<T>; the
// release that brings the count to zero deletes the object. Counts are atomic,
// so an SP may be copied and released on any thread; the object's contents
// need their own lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

namespace slate {

template <typename T>
class ReferenceCounted {
public:
    ReferenceCounted() = default;
    ReferenceCounted(const ReferenceCounted&) : m_referenceCount(0) {}
    ReferenceCounted& operator=(const ReferenceCounted&) { return *this; }

    void addReference() const { m_referenceCount.fetch_add(1, std::memory_order_relaxed); }
    // Deletes the object when this was the last reference.
    void releaseReference() const
    {
        if (m_referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete static_cast<const T*>(this);
    }
    // For tests and diagnostics only: a plain read is never a basis for decisions.
    int32_t referenceCount() const { return m_referenceCount.load(std::memory_order_relaxed); }

protected:
    ~ReferenceCounted() = default;

private:
    // 0 after construction: a new object is handed over by putting it into an
    // SP at once.
    mutable std::atomic<int32_t> m_referenceCount{0};
};

template <typename T>
class SP {
public:
    SP() = default;
    SP(std::nullptr_t) {}
    SP(T* object) : m_object(object) { acquire(); }
    SP(const SP& other) : m_object(other.m_object) { acquire(); }
    SP(SP&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    template <typename U>
    SP(const SP<U>& other) : m_object(other.get()) { acquire(); }
    ~SP() { release(); }

    // The new object is counted before the old one is released, so
    // self-assignment is safe.
    SP& operator=(const SP& other)
    {
        T* incoming = other.m_object;
        if (incoming)
            incoming->addReference();
        release();
        m_object = incoming;
        return *this;
    }
    SP& operator=(SP&& other) noexcept
    {
        if (this != &other) {
            release();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }
    SP& operator=(T* object) { return *this = SP(object); }

    void reset()
    {
        release();
        m_object = nullptr;
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    friend bool operator==(const SP& a, const SP& b) { return a.m_object == b.m_object; }
    friend bool operator!=(const SP& a, const SP& b) { return a.m_object != b.m_object; }
    friend bool operator==(const SP& a, std::nullptr_t) { return !a.m_object; }
    friend bool operator!=(const SP& a, std::nullptr_t) { return a.m_object != nullptr; }
    friend bool operator<(const SP& a, const SP& b) { return a.m_object < b.m_object; }

private:
    void acquire()
    {
        if (m_object)
            m_object->addReference();
    }
    void release()
    {
        if (m_object)
            m_object->releaseReference();
    }

    T* m_object = nullptr;
};

} // namespace slate
