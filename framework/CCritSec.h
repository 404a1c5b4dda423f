// CCritSec and CAutoLock: the SDK's critical section and its scope guard.
//
// A CCritSec is recursive (the owning thread may enter again and must leave
// as often). Take it only through a CAutoLock scope:
//     CAutoLock lock(m_pLock);   // entered here, left at the end of the scope
#pragma once

#include <windows.h>

class CCritSec
{
public:
    CCritSec() { InitializeCriticalSection(&m_CritSec); }
    ~CCritSec() { DeleteCriticalSection(&m_CritSec); }
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;

    void Lock() { EnterCriticalSection(&m_CritSec); }
    void Unlock() { LeaveCriticalSection(&m_CritSec); }

private:
    CRITICAL_SECTION m_CritSec;
};

class CAutoLock
{
public:
    // plock is not owned and must outlive the guard.
    explicit CAutoLock(CCritSec* plock) : m_pLock(plock) { m_pLock->Lock(); }
    ~CAutoLock() { m_pLock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* const m_pLock;
};
