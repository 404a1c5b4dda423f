// Native stand-in for <synchapi.h>: events, semaphores, mutexes, waits,
// critical sections, Sleep and the interlocked counters.
//
// Handles of events, semaphores, mutexes and threads are waitable:
// WaitForMultipleObjects returns the lowest index among the signalled
// handles. A wait consumes the signal of an auto-reset event, a semaphore's
// count or a mutex only for the handle that it returns.
#pragma once

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

// An unnamed event, manual-reset (stays signalled until ResetEvent) or
// auto-reset (a successful wait resets it). Names are not supported: a
// non-null lpName gives NULL with ERROR_INVALID_PARAMETER.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                    LPCWSTR lpName);
#define CreateEvent CreateEventW
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

// An unnamed semaphore with a count of lInitialCount, at most lMaximumCount;
// a wait takes one. NULL with ERROR_INVALID_PARAMETER for a name, a maximum
// below 1 or an initial count outside 0..maximum.
HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES lpSemaphoreAttributes, LONG lInitialCount, LONG lMaximumCount,
                        LPCWSTR lpName);
#define CreateSemaphore CreateSemaphoreW
// Adds lReleaseCount (at least 1) and gives the count before it. FALSE with
// ERROR_TOO_MANY_POSTS, and no change, when the maximum would be passed.
BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount);

// An unnamed mutex, owned by the creating thread if bInitialOwner. A wait
// takes it when free or already the caller's (recursively: release as
// often). A thread that ends owning it abandons it: the next wait to take
// it returns WAIT_ABANDONED_0 + its index (wait-all: WAIT_ABANDONED_0).
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
#define CreateMutex CreateMutexW
// FALSE with ERROR_NOT_OWNER when the calling thread does not own it.
BOOL ReleaseMutex(HANDLE hMutex);

// dwMilliseconds is a time-out in milliseconds, or INFINITE.
// Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (see GetLastError).
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// bWaitAll FALSE: WAIT_OBJECT_0 + the lowest index signalled; TRUE: WAIT_OBJECT_0
// once all are signalled at one moment. nCount 1..MAXIMUM_WAIT_OBJECTS.
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);

void Sleep(DWORD dwMilliseconds);

// Recursive: the owning thread may enter again and must leave as often.
// The layout is the stand-in's own; use only the functions below.
typedef struct _CRITICAL_SECTION
{
    void* Impl; // owned; created by InitializeCriticalSection
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// Atomic, sequentially consistent; each returns the resulting value, except
// Exchange and CompareExchange, which return the initial one.
inline LONG InterlockedIncrement(LONG volatile* addend)
{
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend)
{
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile* target, LONG value)
{
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}
