// Creation failures injected into the native platform, for tests of how the
// filter copes with an event, a thread or an allocator's buffers that cannot
// be made. A test arms a kind with the number of creations to let through;
// the next creation of that kind then fails as Windows fails when memory
// runs out (last error ERROR_NOT_ENOUGH_MEMORY), and the kind is disarmed.
// Each creation consults it in one line at its top; nothing else does.
#pragma once

#include <windows.h>

#include <atomic>

enum class PlatformFault
{
    Event,           // CreateEventW
    Thread,          // _beginthreadex
    AllocatorCommit, // CMemAllocator::Commit, which makes the buffers
};

namespace FaultInjection
{
inline std::atomic<LONG> g_creationsLeft[3] = {{-1}, {-1}, {-1}}; // per kind; -1: not armed

// The next creationsBefore creations of kind succeed, the one after fails;
// creationsBefore < 0 disarms.
inline void Arm(PlatformFault kind, LONG creationsBefore)
{
    g_creationsLeft[static_cast<int>(kind)] = creationsBefore;
}

// True, with the last error set, when this creation of kind is to fail.
[[nodiscard]] inline bool Fails(PlatformFault kind)
{
    std::atomic<LONG>& left = g_creationsLeft[static_cast<int>(kind)];
    for (LONG n = left.load(); n >= 0;)
    {
        if (left.compare_exchange_weak(n, n - 1))
        {
            if (n != 0)
                return false;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return true;
        }
    }
    return false;
}
} // namespace FaultInjection
