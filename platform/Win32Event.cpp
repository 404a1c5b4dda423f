// Events of the Win32 stand-in: manual-reset or auto-reset, unnamed.
#include <windows.h>

#include <new>

#include "platform/FaultInjection.h"
#include "platform/WaitableObject.h"

namespace {

class CEvent : public CWaitableObject
{
public:
    CEvent(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    bool IsSignalled() const override { return m_signalled; }
    void Consume() override
    {
        if (!m_manualReset)
            m_signalled = false;
    }
    void Set(bool signalled)
    {
        m_signalled = signalled;
        if (signalled)
            NotifyWaiters();
    }

private:
    const bool m_manualReset;
    bool m_signalled; // guarded by the wait lock
};

BOOL SetEventState(HANDLE hEvent, bool signalled)
{
    std::unique_lock<std::mutex> lock = LockWaits();
    const std::shared_ptr<CEvent> event = LookupHandleAs<CEvent>(hEvent);
    if (!event)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Set(signalled);
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
    std::shared_ptr<CEvent> event;
    try
    {
        event = std::make_shared<CEvent>(bManualReset != FALSE, bInitialState != FALSE);
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return RegisterHandle(std::move(event));
}

BOOL SetEvent(HANDLE hEvent)
{
    return SetEventState(hEvent, true);
}

BOOL ResetEvent(HANDLE hEvent)
{
    return SetEventState(hEvent, false);
}
