// The process's handle table: which kernel object a HANDLE names. Looking a
// handle up takes no lock shared with other handles (it pins the handle's
// own slot for a moment); entering and closing handles, rarer, take the
// table's lock. Handle values are never reused: a closed handle stays
// invalid for good.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/WaitableObject.h"

// Enters object in the handle table; the table holds one reference until
// CloseHandle. Returns NULL (ERROR_NOT_ENOUGH_MEMORY) when the table is full.
[[nodiscard]] HANDLE RegisterHandle(std::shared_ptr<CWaitableObject> object);

// The object behind handle, or null for an unknown or closed handle.
[[nodiscard]] std::shared_ptr<CWaitableObject> LookupHandle(HANDLE handle);

// The object behind handle when it is a T (T::kKind), else null.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    std::shared_ptr<CWaitableObject> object = LookupHandle(handle);
    if (!object || object->Kind() != T::kKind)
        return nullptr;
    return std::static_pointer_cast<T>(std::move(object));
}
