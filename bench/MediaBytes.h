// Media data the benchmarks' movies really hold on disk, for runs that read
// it: a movie written with a hole reads zeros the kernel makes up, never
// from the disk, which would flatter a run that starts with a cold cache.
#pragma once

#include <cstdint>
#include <ostream>

// Writes count bytes of a fixed pseudo-random pattern at the stream's
// position; false when a write fails.
[[nodiscard]] bool WriteMediaBytes(std::ostream& out, uint64_t count);
