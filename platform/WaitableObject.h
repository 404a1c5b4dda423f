// The kernel objects of the Win32 stand-in (events, semaphores, mutexes,
// threads). Each object keeps its own state in atomics: a signal that
// nobody waits for and a wait on an object that is already signalled touch
// only that object, with no lock and no system call. A wait that must block
// registers with each of its objects and sleeps on its own futex
// (CParkedWait); a change that may signal an object wakes the waits
// registered with that object alone.
//
// To add a kind of object: derive from CWaitableObject, give it a kind in
// WaitableKind, keep its state in atomics that IsSignalled and TryAcquire
// read with sequentially consistent order, call WakeWaiters after every
// change that may signal it, and hand it out with RegisterHandle
// (HandleTable.h).
#pragma once

#include <atomic>
#include <mutex>

class CParkedWait;

enum class WaitableKind
{
    Event,
    Thread,
    Semaphore,
    Mutex,
};

// A wait's link in the list of one object it waits on; on the waiting
// thread's stack, one per object of the wait.
struct WaitLink
{
    CParkedWait* wait = nullptr; // not owned
    WaitLink* prev = nullptr;
    WaitLink* next = nullptr;
};

class CWaitableObject
{
public:
    explicit CWaitableObject(WaitableKind kind) : m_kind(kind) {}
    virtual ~CWaitableObject() = default;
    CWaitableObject(const CWaitableObject&) = delete;
    CWaitableObject& operator=(const CWaitableObject&) = delete;

    WaitableKind Kind() const { return m_kind; }

    // Lock-free, from any thread.
    virtual bool IsSignalled() const = 0;
    // Takes the signal when there is one: true when a wait may return this
    // object (an auto-reset event is reset by it, atomically).
    virtual bool TryAcquire() = 0;
    // Gives back what TryAcquire took: a wait-all that could not take every
    // one of its objects puts back those it had taken.
    virtual void Unacquire() {}
    // After a TryAcquire that succeeded, by the same thread: whether what it
    // took was abandoned (a mutex whose owner ended holding it). Clears it.
    virtual bool TakeAbandoned() { return false; }

    // A blocked wait registers before it looks at the state once more, so
    // that a signal either is seen by that look or wakes it.
    void AddWaiter(WaitLink* link);
    void RemoveWaiter(WaitLink* link);

protected:
    // After a change that may signal this object, with the new state stored:
    // wakes every registered wait. No lock and no system call without one.
    void WakeWaiters();

private:
    const WaitableKind m_kind;
    std::atomic<int> m_waiterCount{0}; // registered waits; read without the lock
    std::mutex m_waitersLock;          // guards the list; never held while sleeping
    WaitLink* m_waiters = nullptr;     // first link; not owned
};
