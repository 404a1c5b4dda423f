#include "platform/HandleTable.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// A handle's value is its slot's generation in the high 32 bits and its
// slot index + 1, times 4 (aligned like the platform's), in the low ones.
// A slot's word holds its generation in the high 32 bits and the lookups
// in progress on it in the low ones. Closing a handle moves the generation
// on, so every later lookup of the old value fails; entering an object in
// a free slot moves it on once more.
} // namespace

struct HandleSlot
{
    std::atomic<uint64_t> word{0};
    std::shared_ptr<CWaitableObject> object; // written only while no lookup can match
};

namespace {

typedef HandleSlot Slot;

constexpr uint32_t kSlotsPerChunk = 1024;
constexpr uint32_t kChunks = 64; // at most 65,536 open handles
constexpr uint64_t kGenerationOne = uint64_t{1} << 32;
constexpr uint64_t kPinMask = kGenerationOne - 1;

struct Table
{
    std::atomic<Slot*> chunks[kChunks] = {}; // made on demand, never freed
    std::mutex lock;                          // guards the members below
    uint32_t used = 0;                        // slots ever handed out
    std::vector<uint32_t> freeSlots;          // closed slots, for reuse
};

Table& TheTable()
{
    // Never destroyed: detached threads may still signal at process exit.
    static Table* table = new Table;
    return *table;
}

uint32_t Generation(uint64_t word)
{
    return static_cast<uint32_t>(word >> 32);
}

// The slot a handle value names, or null when it names none.
Slot* SlotOf(HANDLE handle, uint32_t* generation)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    const uint32_t low = static_cast<uint32_t>(value);
    if ((low & 3) != 0 || low == 0)
        return nullptr;
    const uint32_t index = (low >> 2) - 1;
    if (index >= kSlotsPerChunk * kChunks)
        return nullptr;
    Slot* chunk = TheTable().chunks[index / kSlotsPerChunk].load(std::memory_order_acquire);
    if (!chunk)
        return nullptr;
    *generation = static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32);
    return &chunk[index % kSlotsPerChunk];
}

// A free slot's index, or false when the table is full. Requires the lock.
bool TakeSlot(Table& table, uint32_t* index)
{
    if (!table.freeSlots.empty())
    {
        *index = table.freeSlots.back();
        table.freeSlots.pop_back();
        return true;
    }
    if (table.used == kSlotsPerChunk * kChunks)
        return false;
    std::atomic<Slot*>& chunk = table.chunks[table.used / kSlotsPerChunk];
    if (!chunk.load(std::memory_order_relaxed))
    {
        Slot* slots = new (std::nothrow) Slot[kSlotsPerChunk];
        if (!slots)
            return false;
        chunk.store(slots, std::memory_order_release);
    }
    *index = table.used++;
    return true;
}

} // namespace

HANDLE RegisterHandle(std::shared_ptr<CWaitableObject> object)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.lock);
    uint32_t index = 0;
    try
    {
        table.freeSlots.reserve(table.used + 1); // so that a close never allocates
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!TakeSlot(table, &index))
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Slot& slot = table.chunks[index / kSlotsPerChunk].load(std::memory_order_relaxed)[index % kSlotsPerChunk];
    slot.object = std::move(object);
    // Publishes the object: a lookup that sees the new generation sees it.
    const uint64_t word = slot.word.fetch_add(kGenerationOne, std::memory_order_acq_rel) + kGenerationOne;
    const uint64_t value = (uint64_t{Generation(word)} << 32) | ((uint64_t{index} + 1) << 2);
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

std::shared_ptr<CWaitableObject> CHandlePin::Reference() const
{
    return m_slot ? m_slot->object : nullptr;
}

bool CHandlePin::Pin(HANDLE handle)
{
    Unpin();
    uint32_t generation = 0;
    Slot* slot = SlotOf(handle, &generation);
    if (!slot)
        return false;
    const uint64_t word = slot->word.fetch_add(1, std::memory_order_acquire);
    if (Generation(word) != generation)
    {
        slot->word.fetch_sub(1, std::memory_order_release);
        return false;
    }
    m_slot = slot;
    m_object = slot->object.get();
    return true;
}

void CHandlePin::Unpin()
{
    if (m_slot)
        m_slot->word.fetch_sub(1, std::memory_order_release);
    m_slot = nullptr;
    m_object = nullptr;
}

BOOL CloseHandle(HANDLE hObject)
{
    uint32_t generation = 0;
    Slot* slot = SlotOf(hObject, &generation);
    uint64_t word = slot ? slot->word.load(std::memory_order_relaxed) : 0;
    do
    {
        if (!slot || Generation(word) != generation)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    } while (!slot->word.compare_exchange_weak(word, word + kGenerationOne, std::memory_order_acq_rel));
    // No new lookup matches now; those that matched before are a few
    // instructions from their end.
    while ((slot->word.load(std::memory_order_acquire) & kPinMask) != 0)
        std::this_thread::yield();
    std::shared_ptr<CWaitableObject> closed = std::move(slot->object); // released after the lock
    Table& table = TheTable();
    const uintptr_t index = ((reinterpret_cast<uintptr_t>(hObject) & 0xFFFFFFFFu) >> 2) - 1;
    std::lock_guard<std::mutex> lock(table.lock);
    table.freeSlots.push_back(static_cast<uint32_t>(index)); // reserved when it was entered
    return TRUE;
}
