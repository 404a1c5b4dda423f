// Events of the Win32 stand-in: manual-reset or auto-reset, unnamed. The
// state is one atomic: SetEvent with nobody waiting is a store and a load,
// a wait on a set event a load (manual reset) or a compare-and-swap (auto).
#include <windows.h>

#include "platform/FaultInjection.h"
#include "platform/HandleTable.h"

namespace {

class CEvent final : public CWaitableObject
{
public:
    static constexpr WaitableKind kKind = WaitableKind::Event;

    CEvent(bool manualReset, bool signalled) : CWaitableObject(kKind), m_manualReset(manualReset), m_signalled(signalled)
    {
    }

    bool IsSignalled() const override { return m_signalled.load(std::memory_order_seq_cst); }
    bool TryAcquire() override
    {
        if (m_manualReset)
            return IsSignalled();
        bool signalled = true;
        return IsSignalled() && m_signalled.compare_exchange_strong(signalled, false, std::memory_order_seq_cst);
    }
    void Unacquire() override
    {
        if (!m_manualReset)
            Set();
    }
    void Set()
    {
        m_signalled.store(true, std::memory_order_seq_cst);
        WakeWaiters();
    }
    void Reset() { m_signalled.store(false, std::memory_order_seq_cst); }

private:
    const bool m_manualReset;
    std::atomic<bool> m_signalled;
};

BOOL SetEventState(HANDLE hEvent, bool signalled)
{
    const CHandlePin pin(hEvent);
    CEvent* const event = pin.As<CEvent>();
    if (!event)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (signalled)
        event->Set();
    else
        event->Reset();
    return TRUE;
}

} // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName)
{
    if (FaultInjection::Fails(PlatformFault::Event)) return nullptr; // a test asked for it
    if (lpName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return RegisterNew<CEvent>(bManualReset != FALSE, bInitialState != FALSE);
}

BOOL SetEvent(HANDLE hEvent)
{
    return SetEventState(hEvent, true);
}

BOOL ResetEvent(HANDLE hEvent)
{
    return SetEventState(hEvent, false);
}
