// MD5 of a byte stream (RFC 1321), fed in pieces of any size. A checksum for
// comparing media data with other tools' digests, not a security measure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CMd5
{
public:
    using Digest = std::array<uint8_t, 16>;

    CMd5() { Reset(); }

    // Back to the digest of no bytes.
    void Reset();
    void Update(const void* data, size_t size);
    // The digest of everything fed since the last Reset; the state is kept,
    // so more bytes may follow and Final be asked again.
    Digest Final() const;

    // The digest as 32 lower-case hex digits.
    static std::string Hex(const Digest& digest);
    // One-shot convenience: Hex of the digest of data[0..size).
    static std::string HexOf(const void* data, size_t size);

private:
    void Transform(const uint8_t block[64]);

    uint32_t m_state[4];
    uint64_t m_length = 0; // bytes fed
    uint8_t m_buffer[64];  // the incomplete block
};
