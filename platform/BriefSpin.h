// A short, bounded spin before a thread blocks. On a handoff between two
// threads on two cores (a sample queued a microsecond after the delivery
// thread found its queue empty, a buffer released just after the pump found
// none free, a lock let go a moment after it was found taken) spinning
// catches the change without the two system calls and the cross-core
// wake-up that sleeping costs; in a virtual machine that wake-up is the
// dearest part of a sample.
//
// It never takes a core from the thread it waits for: at most one spinner
// per core beyond the first, none on a single core. And it adapts per
// thread: a thread whose spins keep failing (its partner is slower than the
// spin, as a real-time renderer is) spins ever less often, so a long wait
// costs the machine next to nothing.
#pragma once

#include <chrono>
#include <mutex>

namespace BriefSpin {

// How long one spin for a change lasts at most: about what the pump takes
// for a small sample on this project's 2-core machine, so a partner that
// keeps up is caught. Longer spins measured no faster.
constexpr std::chrono::nanoseconds kLimit = std::chrono::microseconds(10);
// How many times a lock is tried before its taker sleeps on it.
constexpr int kLockTries = 1000;

// Whether spinning can help here: more than one core, and not turned off.
bool Worthwhile();
// Tests turn spinning off so that every wait takes the sleeping path.
void Enable(bool on);
// Whether this thread may spin for a change now: a spinner's place is free
// and its recent spins did not all fail. If so, spin, then call End.
bool Begin();
// After a spin that Begin allowed: whether it caught what it waited for.
void End(bool caught);

// The processor's spin-wait hint.
inline void Relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Locks a mutex (anything with try_lock and lock) that is held for a few
// instructions at a time: tries it a while before sleeping on it, as a
// Windows critical section's spin count does. Not bound by the spinner
// places: the holder is running and about to let go.
template <class Mutex>
void Lock(Mutex& mutex)
{
    if (Worthwhile())
    {
        for (int tries = 0; tries < kLockTries; ++tries)
        {
            if (mutex.try_lock())
                return;
            Relax();
        }
    }
    mutex.lock();
}

// Lock, held by the unique_lock it returns.
template <class Mutex>
[[nodiscard]] std::unique_lock<Mutex> Locked(Mutex& mutex)
{
    Lock(mutex);
    return std::unique_lock<Mutex>(mutex, std::adopt_lock);
}

// Spins until ready() is true or kLimit passes; true when ready() was.
// False at once when this thread may not spin now.
template <class Ready>
bool Until(Ready&& ready)
{
    if (!Begin())
        return false;
    const auto until = std::chrono::steady_clock::now() + kLimit;
    bool caught = false;
    for (unsigned round = 1;; ++round)
    {
        if (ready())
        {
            caught = true;
            break;
        }
        Relax();
        if (round % 8 == 0 && std::chrono::steady_clock::now() >= until)
            break;
    }
    End(caught);
    return caught;
}

} // namespace BriefSpin
