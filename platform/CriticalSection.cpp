// Critical sections of the Win32 stand-in: a recursive mutex behind the
// structure's pointer.
#include <windows.h>

#include <mutex>

#include "platform/BriefSpin.h"

namespace {

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION section)
{
    return *static_cast<std::recursive_mutex*>(section->Impl);
}

} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    // The platform raises when out of memory here; a bad_alloc does the same.
    lpCriticalSection->Impl = new std::recursive_mutex;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD)
{
    InitializeCriticalSection(lpCriticalSection);
    return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    delete static_cast<std::recursive_mutex*>(lpCriticalSection->Impl);
    lpCriticalSection->Impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    BriefSpin::Lock(MutexOf(lpCriticalSection));
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    MutexOf(lpCriticalSection).unlock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    return MutexOf(lpCriticalSection).try_lock() ? TRUE : FALSE;
}
