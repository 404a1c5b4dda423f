// WaitForMultipleObjects of the Win32 stand-in. A wait first looks at its
// objects without any lock; only when none will do does it register with
// each of them and sleep on its own futex until one of them changes.
#include <windows.h>

#include <chrono>
#include <new>
#include <optional>
#include <type_traits>
#include <thread>

#include "platform/BriefSpin.h"
#include "platform/HandleTable.h"
#include "platform/ParkedWait.h"

namespace {

typedef std::shared_ptr<CWaitableObject> ObjectRef;
typedef CWaitableObject* const* Objects; // a wait's objects, in its order

// WAIT_OBJECT_0 + index when the wait is satisfied now (signals taken;
// WAIT_ABANDONED_0 + index for an abandoned mutex), else WAIT_TIMEOUT.
// Any-of: the lowest index that can be taken. Wait-all: every object or
// none; what was taken of a set that could not be completed is given back
// (and wakes whoever waits for it).
DWORD TryAcquire(Objects objects, DWORD count, bool waitAll)
{
    if (!waitAll)
    {
        for (DWORD i = 0; i < count; ++i)
            if (objects[i]->TryAcquire())
                return (objects[i]->TakeAbandoned() ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
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
    bool abandoned = false;
    for (DWORD i = 0; i < count; ++i)
        abandoned = objects[i]->TakeAbandoned() || abandoned;
    return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
}

// Up to MAXIMUM_WAIT_OBJECTS pins, built only as far as a wait has handles.
class CHandlePins
{
public:
    CHandlePins() = default;
    ~CHandlePins() { Clear(); }
    CHandlePins(const CHandlePins&) = delete;
    CHandlePins& operator=(const CHandlePins&) = delete;

    // Pins the next handle's object and returns it; null when the handle
    // names none.
    CWaitableObject* Add(HANDLE handle)
    {
        CHandlePin* pin = new (&m_storage[m_count]) CHandlePin;
        ++m_count;
        (void)pin->Pin(handle);
        return pin->get();
    }
    ObjectRef Reference(DWORD index) const { return At(index).Reference(); }
    void Clear()
    {
        while (m_count > 0)
            At(--m_count).~CHandlePin();
    }

private:
    CHandlePin& At(DWORD index) const
    {
        return *std::launder(reinterpret_cast<CHandlePin*>(const_cast<Storage*>(&m_storage[index])));
    }

    typedef std::aligned_storage_t<sizeof(CHandlePin), alignof(CHandlePin)> Storage;
    Storage m_storage[MAXIMUM_WAIT_OBJECTS];
    DWORD m_count = 0;
};

// Registered with every object of a wait for as long as it blocks.
class CRegistration
{
public:
    CRegistration(Objects objects, DWORD count, CParkedWait* wait) : m_objects(objects), m_count(count)
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
    Objects m_objects; // not owned; outlive the registration
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
    // Pinned while the wait only looks (and spins): most waits end there.
    CHandlePins pins;
    CWaitableObject* objects[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < nCount; ++i)
    {
        objects[i] = pins.Add(lpHandles[i]);
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
    // A spin looks without taking; it takes only what it has seen set.
    const auto taken = [&] {
        bool any = false;
        for (DWORD i = 0; i < nCount && !any; ++i)
            any = objects[i]->IsSignalled();
        return any && (result = TryAcquire(objects, nCount, waitAll)) != WAIT_TIMEOUT;
    };
    if (BriefSpin::Until(taken))
        return result;

    // Blocking: the wait's own references, so that a handle closed while
    // waited on neither waits for the wait nor ends its object's life.
    ObjectRef references[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < nCount; ++i)
        references[i] = pins.Reference(i);
    pins.Clear();
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
