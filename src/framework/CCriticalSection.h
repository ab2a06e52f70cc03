// The process-wide lock of the window framework: a Win32 critical section,
// recursive like the system object, with a guard that holds it for a scope.
#pragma once

#include <windows.h>

namespace kestrel {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&section); }
    void Leave() { ::LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

class CCritSecLock {
public:
    explicit CCritSecLock(CCriticalSection& section) : held(section) { held.Enter(); }
    ~CCritSecLock() { held.Leave(); }
    CCritSecLock(const CCritSecLock&) = delete;
    CCritSecLock& operator=(const CCritSecLock&) = delete;

private:
    CCriticalSection& held;
};

}  // namespace kestrel
