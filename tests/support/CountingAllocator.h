// Counts the program's heap allocations through operator new: linked only
// into a test program of its own (it replaces the global operator new for
// the whole program), to show that a path allocates nothing once running.
#pragma once

// Calls of operator new (every form) since the program started, all threads.
long HeapAllocations();
