// The kernel objects of the Win32 stand-in (events, threads): one process-wide
// handle table and one wait lock under which every object's state changes,
// so that a wait on several objects sees a consistent picture and picks the
// lowest signalled index. Waiters sleep on their own condition variable,
// registered with each object they wait on; nothing polls.
//
// To add a kind of object: derive from CWaitableObject, keep its state
// guarded by the wait lock (LockWaits), call NotifyWaiters after a change
// that may signal it, and hand it out with RegisterHandle.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class CWaitableObject
{
public:
    virtual ~CWaitableObject() = default;

    // All with the wait lock held.
    virtual bool IsSignalled() const = 0;
    // A wait that returns this object takes its signal (auto-reset events).
    virtual void Consume() {}
    // Wakes every wait that includes this object.
    void NotifyWaiters();
    void AddWaiter(std::condition_variable* waiter);
    void RemoveWaiter(std::condition_variable* waiter);

private:
    std::vector<std::condition_variable*> m_waiters; // not owned; guarded by the wait lock
};

// The lock that guards the state of every waitable object and the table.
[[nodiscard]] std::unique_lock<std::mutex> LockWaits();

// Enters object in the handle table; the table holds one reference until
// CloseHandle. Returns NULL (ERROR_NOT_ENOUGH_MEMORY) when the table is full.
[[nodiscard]] HANDLE RegisterHandle(std::shared_ptr<CWaitableObject> object);

// The object behind handle, or null for an unknown or closed handle.
// Requires the wait lock.
[[nodiscard]] std::shared_ptr<CWaitableObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
