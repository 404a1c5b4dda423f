// The process's handle table: which kernel object a HANDLE names. Looking a
// handle up (CHandlePin) takes no lock shared with other handles (it pins
// the handle's own slot for a moment); entering and closing handles, rarer,
// take the table's lock. Handle values are never reused: a closed handle
// stays invalid for good.
#pragma once

#include <windows.h>

#include <memory>
#include <new>
#include <utility>

#include "platform/WaitableObject.h"

// Enters object in the handle table; the table holds one reference until
// CloseHandle. Returns NULL (ERROR_NOT_ENOUGH_MEMORY) when the table is full.
[[nodiscard]] HANDLE RegisterHandle(std::shared_ptr<CWaitableObject> object);

// Makes a T and enters it: its handle, or NULL with ERROR_NOT_ENOUGH_MEMORY.
template <class T, class... Args>
[[nodiscard]] HANDLE RegisterNew(Args&&... args)
{
    std::shared_ptr<T> object;
    try
    {
        object = std::make_shared<T>(std::forward<Args>(args)...);
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return RegisterHandle(std::move(object));
}

struct HandleSlot;

// The object behind a handle, held for a moment without a reference of its
// own: CloseHandle of that handle waits until the pin is let go, so a pin
// lasts a few instructions or a brief spin, never a wait that may block.
// Costs two atomic operations on the handle's own slot and nothing shared.
class CHandlePin
{
public:
    CHandlePin() = default;
    explicit CHandlePin(HANDLE handle) { Pin(handle); }
    ~CHandlePin() { Unpin(); }
    CHandlePin(const CHandlePin&) = delete;
    CHandlePin& operator=(const CHandlePin&) = delete;

    // Pins handle's object; false (and nothing pinned) for an unknown or
    // closed handle. Lets go of what was pinned before.
    bool Pin(HANDLE handle);
    void Unpin();
    // The pinned object, or null.
    CWaitableObject* get() const { return m_object; }
    // A counted reference to it, which outlives the pin.
    std::shared_ptr<CWaitableObject> Reference() const;
    // The pinned object when it is a T, else null.
    template <class T>
    T* As() const
    {
        return m_object && m_object->Kind() == T::kKind ? static_cast<T*>(m_object) : nullptr;
    }

private:
    HandleSlot* m_slot = nullptr;
    CWaitableObject* m_object = nullptr;
};
