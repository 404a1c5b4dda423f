#include "diagnostics/JournalChains.h"

#include <random>

namespace {

constexpr uint32_t kCustomerBit = 0x20000000u;
constexpr uint32_t kSeverityBit = 0x80000000u;
constexpr uint32_t kSerialMask = 0x1FFFFFFFu;

uint32_t RandomStart()
{
    try
    {
        std::random_device device;
        return static_cast<uint32_t>(device());
    }
    catch (...)
    {
        return 1; // no entropy source: ids are still unique in the process
    }
}

// Shared by every journal of the process, so ids stay unique when tests
// switch journals.
std::atomic<uint32_t> g_nextSerial{RandomStart()};

} // namespace

CJournalChains::CJournalChains()
{
    for (std::atomic<uint64_t>& slot : m_slots)
        slot.store(0, std::memory_order_relaxed); // no chain id is 0
}

long CJournalChains::NewChain(long hr)
{
    const HRESULT root = ChainError(hr);
    const uint32_t serial = g_nextSerial.fetch_add(1, std::memory_order_relaxed) & kSerialMask;
    const uint32_t id = kCustomerBit | serial | (root < 0 ? kSeverityBit : 0u);
    m_slots[serial % kRemembered].store((static_cast<uint64_t>(id) << 32) | static_cast<uint32_t>(root),
                                        std::memory_order_release);
    return static_cast<int32_t>(id);
}

HRESULT CJournalChains::ChainError(long chainId) const
{
    const uint32_t id = static_cast<uint32_t>(chainId);
    if ((id & kCustomerBit) == 0)
        return static_cast<HRESULT>(id);
    const uint64_t slot = m_slots[(id & kSerialMask) % kRemembered].load(std::memory_order_acquire);
    if (static_cast<uint32_t>(slot >> 32) != id)
        return static_cast<HRESULT>(id);
    return static_cast<HRESULT>(static_cast<uint32_t>(slot));
}
