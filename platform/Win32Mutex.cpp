// Mutexes of the Win32 stand-in, unnamed: owned by one thread at a time,
// recursively; a thread that ends holding one abandons it, and the next
// wait that takes it returns WAIT_ABANDONED_0 + its index. The owner is one
// atomic: taking a free mutex is a compare-and-swap, releasing one with
// nobody waiting a store.
#include <windows.h>

#include "platform/HandleTable.h"

namespace {

class CMutex;

// The mutexes the calling thread owns, linked through the mutexes
// themselves (a mutex has one owner at most), so that taking one never
// allocates. When the thread ends they are abandoned.
struct OwnedMutexes
{
    CMutex* first = nullptr;
    ~OwnedMutexes();
};
thread_local OwnedMutexes t_owned;

class CMutex final : public CWaitableObject, public std::enable_shared_from_this<CMutex>
{
public:
    static constexpr WaitableKind kKind = WaitableKind::Mutex;

    CMutex() : CWaitableObject(kKind) {}

    // For the calling thread: free, or its own.
    bool IsSignalled() const override
    {
        const DWORD owner = m_owner.load(std::memory_order_seq_cst);
        return owner == 0 || owner == GetCurrentThreadId();
    }
    bool TryAcquire() override
    {
        const DWORD me = GetCurrentThreadId();
        DWORD owner = 0;
        if (m_owner.compare_exchange_strong(owner, me, std::memory_order_seq_cst))
        {
            m_recursion = 1;
            m_self = shared_from_this(); // alive while owned, even with its handle closed
            Link();
            return true;
        }
        if (owner != me)
            return false;
        ++m_recursion;
        return true;
    }
    void Unacquire() override { (void)Release(); }
    bool TakeAbandoned() override { return m_abandoned.exchange(false, std::memory_order_seq_cst); }

    // False when the calling thread does not own it.
    bool Release()
    {
        if (m_owner.load(std::memory_order_seq_cst) != GetCurrentThreadId())
            return false;
        if (--m_recursion == 0)
            LetGo(false);
        return true;
    }
    // The owning thread is ending.
    void Abandon() { LetGo(true); }

    CMutex* m_nextOwned = nullptr; // the owner's list; touched by the owner only

private:
    void Link()
    {
        m_prevOwned = nullptr;
        m_nextOwned = t_owned.first;
        if (m_nextOwned)
            m_nextOwned->m_prevOwned = this;
        t_owned.first = this;
    }
    void Unlink()
    {
        if (m_prevOwned)
            m_prevOwned->m_nextOwned = m_nextOwned;
        else
            t_owned.first = m_nextOwned;
        if (m_nextOwned)
            m_nextOwned->m_prevOwned = m_prevOwned;
    }
    void LetGo(bool abandoned)
    {
        Unlink();
        m_recursion = 0;
        m_abandoned.store(abandoned, std::memory_order_seq_cst);
        const std::shared_ptr<CMutex> self = std::move(m_self); // this lives to the end of LetGo
        m_owner.store(0, std::memory_order_seq_cst);            // publishes the fields above
        WakeWaiters();
    }

    std::atomic<DWORD> m_owner{0}; // thread id, 0 when free
    std::atomic<bool> m_abandoned{false};
    // The owner's alone, as are the links.
    unsigned m_recursion = 0;
    std::shared_ptr<CMutex> m_self;
    CMutex* m_prevOwned = nullptr;
};

OwnedMutexes::~OwnedMutexes()
{
    while (first)
        first->Abandon(); // unlinks it
}

} // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName)
{
    if (lpName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const HANDLE handle = RegisterNew<CMutex>();
    if (handle && bInitialOwner)
        (void)CHandlePin(handle).As<CMutex>()->TryAcquire(); // nobody else has the handle yet
    return handle;
}

BOOL ReleaseMutex(HANDLE hMutex)
{
    const CHandlePin pin(hMutex);
    CMutex* const mutex = pin.As<CMutex>();
    if (!mutex)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release())
    {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
