// The page cache around the pump benchmark's passes: warming a movie into it
// so every pass reads from memory, telling how much of it is there, and
// emptying it (as root) for passes that start cold.
#pragma once

#include <string>

// Reads the whole file a megabyte at a time; false when it cannot be read.
[[nodiscard]] bool WarmPageCache(const std::string& path);
// The share of the file's pages in the page cache, 0 to 1; -1 when unknown.
double CachedShare(const std::string& path);
// Writes back dirty pages and drops clean ones (needs root); false when the
// kernel refused.
[[nodiscard]] bool DropPageCache();
