// Semaphores of the Win32 stand-in, unnamed. The count is one atomic: a
// release with nobody waiting is a compare-and-swap, a wait on a positive
// count another.
#include <windows.h>

#include "platform/HandleTable.h"

namespace {

class CSemaphore final : public CWaitableObject
{
public:
    static constexpr WaitableKind kKind = WaitableKind::Semaphore;

    CSemaphore(LONG count, LONG maximum) : CWaitableObject(kKind), m_count(count), m_maximum(maximum) {}

    bool IsSignalled() const override { return m_count.load(std::memory_order_seq_cst) > 0; }
    bool TryAcquire() override
    {
        LONG count = m_count.load(std::memory_order_seq_cst);
        while (count > 0)
        {
            if (m_count.compare_exchange_weak(count, count - 1, std::memory_order_seq_cst))
                return true;
        }
        return false;
    }
    void Unacquire() override
    {
        m_count.fetch_add(1, std::memory_order_seq_cst);
        WakeWaiters();
    }
    // False when the count would pass the maximum; nothing changes then.
    bool Release(LONG count, LONG* previous)
    {
        LONG now = m_count.load(std::memory_order_seq_cst);
        do
        {
            if (count > m_maximum - now)
                return false;
        } while (!m_count.compare_exchange_weak(now, now + count, std::memory_order_seq_cst));
        *previous = now;
        WakeWaiters();
        return true;
    }

private:
    std::atomic<LONG> m_count;
    const LONG m_maximum;
};

} // namespace

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount, LPCWSTR lpName)
{
    if (lpName || lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return RegisterNew<CSemaphore>(lInitialCount, lMaximumCount);
}

BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount)
{
    const CHandlePin pin(hSemaphore);
    CSemaphore* const semaphore = pin.As<CSemaphore>();
    if (!semaphore)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lReleaseCount <= 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONG previous = 0;
    if (!semaphore->Release(lReleaseCount, &previous))
    {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (lpPreviousCount)
        *lpPreviousCount = previous;
    return TRUE;
}
