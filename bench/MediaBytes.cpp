#include "bench/MediaBytes.h"

#include <algorithm>
#include <vector>

bool WriteMediaBytes(std::ostream& out, uint64_t count)
{
    // One block written over and over: a megabyte at a time keeps the write
    // calls few, and its content only has to be other than zeros.
    constexpr size_t kBlock = size_t{1} << 20;
    std::vector<char> block(kBlock);
    uint32_t seed = 2463534242u;
    for (char& byte : block)
    {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<char>(seed);
    }
    for (uint64_t left = count; left > 0 && out;)
    {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(left, kBlock));
        out.write(block.data(), static_cast<std::streamsize>(piece));
        left -= piece;
    }
    return static_cast<bool>(out);
}
