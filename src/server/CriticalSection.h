// CriticalSection: a platform critical section, initialised when it is
// constructed and deleted when it goes; re-entrant for the thread that holds
// it. ScopedLock holds any object with Lock() and Unlock() for one scope.
// The frame's locks (the object map's, the module's type-information lock,
// an object's own under the multi-thread model) are all built from these.
#pragma once

#include <windows.h>

class CriticalSection
{
public:
    CriticalSection() noexcept { InitializeCriticalSection(&m_section); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock() noexcept { EnterCriticalSection(&m_section); }
    void Unlock() noexcept { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

template <class Lockable> class ScopedLock
{
public:
    explicit ScopedLock(Lockable& lockable) noexcept : m_lockable(lockable) { m_lockable.Lock(); }
    ~ScopedLock() { m_lockable.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    Lockable& m_lockable;
};
