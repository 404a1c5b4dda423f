#include "platform/WaitableObject.h"

#include "platform/BriefSpin.h"
#include "platform/ParkedWait.h"

void CWaitableObject::AddWaiter(WaitLink* link)
{
    const auto lock = BriefSpin::Locked(m_waitersLock);
    link->prev = nullptr;
    link->next = m_waiters;
    if (m_waiters)
        m_waiters->prev = link;
    m_waiters = link;
    // Sequentially consistent, as the signaller's store of its state and
    // its read of this count: either the waiter's next look sees the signal
    // or the signaller sees the waiter.
    m_waiterCount.fetch_add(1, std::memory_order_seq_cst);
}

void CWaitableObject::RemoveWaiter(WaitLink* link)
{
    const auto lock = BriefSpin::Locked(m_waitersLock);
    if (link->prev)
        link->prev->next = link->next;
    else
        m_waiters = link->next;
    if (link->next)
        link->next->prev = link->prev;
    m_waiterCount.fetch_sub(1, std::memory_order_relaxed);
}

void CWaitableObject::WakeWaiters()
{
    if (m_waiterCount.load(std::memory_order_seq_cst) == 0)
        return;
    // Under the lock: a registered wait stays on its thread's stack until it
    // has removed itself, which takes the lock too.
    const auto lock = BriefSpin::Locked(m_waitersLock);
    for (WaitLink* link = m_waiters; link; link = link->next)
        link->wait->Wake();
}
