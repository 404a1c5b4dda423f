// Chain ids of a journal: every logged failure starts a chain, and the chain
// id travels up as the failing result of each method it passes through.
//
// A chain id is an HRESULT with the customer bit (0x20000000) set, which no
// system or COM result has, and a 29-bit serial number: 0xA0000000 | n for a
// failure (negative, so it fails like the HRESULT it stands for), 0x20000000 | n
// otherwise. Serial numbers start at a random point per process, so chains of
// processes sharing one journal file rarely meet, and are unique in the
// process until 2^29 chains have been made. The last 4096 chains are
// remembered; an older or unknown id resolves to itself.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>

class CJournalChains
{
public:
    CJournalChains();
    CJournalChains(const CJournalChains&) = delete;
    CJournalChains& operator=(const CJournalChains&) = delete;

    static constexpr size_t kRemembered = 4096;

    // A new chain for hr. When hr is itself a chain id, the new chain keeps
    // that chain's root HRESULT. Thread-safe.
    [[nodiscard]] long NewChain(long hr);
    // The HRESULT at the root of the chain; chainId itself when unknown. Thread-safe.
    [[nodiscard]] HRESULT ChainError(long chainId) const;

private:
    // Each slot packs (chain id << 32 | root HRESULT) so that one atomic
    // load or store keeps the pair together.
    std::array<std::atomic<uint64_t>, kRemembered> m_slots;
};
