#include "platform/WaitableObject.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <unordered_map>

namespace {

struct WaitRegistry
{
    std::mutex lock;
    std::unordered_map<uintptr_t, std::shared_ptr<CWaitableObject>> handles;
    uintptr_t lastHandle = 0; // handle values are never reused
};

WaitRegistry& Registry()
{
    // Never destroyed: detached threads may still signal at process exit.
    static WaitRegistry* registry = new WaitRegistry;
    return *registry;
}

typedef std::vector<std::shared_ptr<CWaitableObject>> ObjectList;

// WAIT_OBJECT_0 + index when the wait is satisfied now (signals taken),
// else WAIT_TIMEOUT. Requires the wait lock.
DWORD TryAcquire(const ObjectList& objects, bool waitAll)
{
    if (waitAll)
    {
        if (!std::all_of(objects.begin(), objects.end(), [](const auto& o) { return o->IsSignalled(); }))
            return WAIT_TIMEOUT;
        for (const auto& o : objects)
            o->Consume();
        return WAIT_OBJECT_0;
    }
    for (size_t i = 0; i < objects.size(); ++i)
    {
        if (objects[i]->IsSignalled())
        {
            objects[i]->Consume();
            return WAIT_OBJECT_0 + static_cast<DWORD>(i);
        }
    }
    return WAIT_TIMEOUT;
}

} // namespace

void CWaitableObject::NotifyWaiters()
{
    for (std::condition_variable* waiter : m_waiters)
        waiter->notify_one();
}

void CWaitableObject::AddWaiter(std::condition_variable* waiter)
{
    m_waiters.push_back(waiter);
}

void CWaitableObject::RemoveWaiter(std::condition_variable* waiter)
{
    m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), waiter));
}

std::unique_lock<std::mutex> LockWaits()
{
    return std::unique_lock<std::mutex>(Registry().lock);
}

HANDLE RegisterHandle(std::shared_ptr<CWaitableObject> object)
{
    WaitRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.lock);
    try
    {
        const uintptr_t value = registry.lastHandle + 4; // aligned like the platform's
        registry.handles.emplace(value, std::move(object));
        registry.lastHandle = value;
        return reinterpret_cast<HANDLE>(value);
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

std::shared_ptr<CWaitableObject> LookupHandle(HANDLE handle)
{
    const auto& handles = Registry().handles;
    const auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    return it == handles.end() ? nullptr : it->second;
}

BOOL CloseHandle(HANDLE hObject)
{
    std::shared_ptr<CWaitableObject> closed; // destroyed after the lock is left
    {
        WaitRegistry& registry = Registry();
        std::lock_guard<std::mutex> lock(registry.lock);
        const auto it = registry.handles.find(reinterpret_cast<uintptr_t>(hObject));
        if (it == registry.handles.end())
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closed = std::move(it->second);
        registry.handles.erase(it);
    }
    return TRUE;
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (dwMilliseconds != INFINITE)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);

    ObjectList objects(nCount); // declared before the lock: released after it
    std::condition_variable waiter;
    std::unique_lock<std::mutex> lock = LockWaits();
    for (DWORD i = 0; i < nCount; ++i)
    {
        objects[i] = LookupHandle(lpHandles[i]);
        if (!objects[i])
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    bool registered = false;
    DWORD result;
    while ((result = TryAcquire(objects, bWaitAll != FALSE)) == WAIT_TIMEOUT)
    {
        if (deadline && std::chrono::steady_clock::now() >= *deadline)
            break;
        if (!registered)
        {
            for (const auto& o : objects)
                o->AddWaiter(&waiter);
            registered = true;
        }
        if (deadline)
            (void)waiter.wait_until(lock, *deadline);
        else
            waiter.wait(lock);
    }
    if (registered)
    {
        for (const auto& o : objects)
            o->RemoveWaiter(&waiter);
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
