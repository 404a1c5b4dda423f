// WaitForMultipleObjects of the Win32 stand-in. A wait first looks at its
// objects without any lock; only when none will do does it register with
// each of them and sleep on its own futex until one of them changes.
#include <windows.h>

#include <chrono>
#include <optional>
#include <thread>

#include "platform/HandleTable.h"
#include "platform/ParkedWait.h"

namespace {

// No spin before sleeping: on this project's busy 2-core machine a bounded
// spin of 100 or 1,000 pauses did not make the pump benchmark faster (the
// longer one made it slower); the partner thread is seldom running then.

typedef std::shared_ptr<CWaitableObject> ObjectRef;

// WAIT_OBJECT_0 + index when the wait is satisfied now (signals taken),
// else WAIT_TIMEOUT. Any-of: the lowest index that can be taken. Wait-all:
// every object or none; what was taken of a set that could not be completed
// is given back (and wakes whoever waits for it).
DWORD TryAcquire(const ObjectRef* objects, DWORD count, bool waitAll)
{
    if (!waitAll)
    {
        for (DWORD i = 0; i < count; ++i)
            if (objects[i]->TryAcquire())
                return WAIT_OBJECT_0 + i;
        return WAIT_TIMEOUT;
    }
    for (DWORD i = 0; i < count; ++i)
        if (!objects[i]->IsSignalled())
            return WAIT_TIMEOUT;
    for (DWORD i = 0; i < count; ++i)
    {
        if (!objects[i]->TryAcquire())
        {
            while (i-- > 0)
                objects[i]->Unacquire();
            return WAIT_TIMEOUT;
        }
    }
    return WAIT_OBJECT_0;
}

// Registered with every object of a wait for as long as it blocks.
class CRegistration
{
public:
    CRegistration(const ObjectRef* objects, DWORD count, CParkedWait* wait) : m_objects(objects), m_count(count)
    {
        for (DWORD i = 0; i < count; ++i)
        {
            m_links[i].wait = wait;
            objects[i]->AddWaiter(&m_links[i]);
        }
    }
    ~CRegistration()
    {
        for (DWORD i = 0; i < m_count; ++i)
            m_objects[i]->RemoveWaiter(&m_links[i]);
    }
    CRegistration(const CRegistration&) = delete;
    CRegistration& operator=(const CRegistration&) = delete;

private:
    const ObjectRef* m_objects; // not owned; outlive the registration
    DWORD m_count;
    WaitLink m_links[MAXIMUM_WAIT_OBJECTS];
};

} // namespace

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // The wait's own references: a handle closed while waited on leaves its
    // object alive until the wait ends.
    ObjectRef objects[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < nCount; ++i)
    {
        objects[i] = LookupHandle(lpHandles[i]);
        if (!objects[i])
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const bool waitAll = bWaitAll != FALSE;
    DWORD result = TryAcquire(objects, nCount, waitAll);
    if (result != WAIT_TIMEOUT || dwMilliseconds == 0)
        return result;

    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (dwMilliseconds != INFINITE)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    CParkedWait wait;
    const CRegistration registration(objects, nCount, &wait);
    while ((result = TryAcquire(objects, nCount, waitAll)) == WAIT_TIMEOUT)
    {
        if (deadline && std::chrono::steady_clock::now() >= *deadline)
            break;
        wait.Park(deadline);
        wait.Rearm();
    }
    return result;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

void Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == INFINITE)
    {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
