// Locks. A CriticalSection is recursive for its owner thread, as the system's
// critical sections are; ScopedLock holds one for a scope.
#pragma once

#include <mutex>

class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter() { m_mutex.lock(); }
    void leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& section) : m_section(&section) { m_section->enter(); }
    ~ScopedLock() { m_section->leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection* m_section;
};
