// A counted COM reference: the pointer it holds owns exactly one reference,
// released when the ComPtr lets go of it. Works with any type that has
// AddRef and Release (interfaces, and classes such as CBaseFilter).
//
// The SDK-shaped base classes keep the SDK's member names (m_Connected,
// m_pAllocator, ...) so derived code reads the same; m_Connected is a ComPtr,
// and -> and a test for null read as they did on the raw pointer.
#pragma once

#include <cstddef>

template <class T>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference of its own; the caller keeps its reference.
    explicit ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr copy(other);
        Swap(copy);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr moved(static_cast<ComPtr&&>(other));
        Swap(moved);
        return *this;
    }

    // Takes over the caller's reference (no AddRef).
    static ComPtr Attach(T* p)
    {
        ComPtr result;
        result.m_p = p;
        return result;
    }
    // Gives the held reference to the caller, who must release it.
    [[nodiscard]] T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    // Releases the held reference now; the order of releases can matter.
    void Reset()
    {
        T* p = m_p;
        m_p = nullptr;
        if (p)
            p->Release();
    }
    // For out-parameters (T**): releases what is held first.
    T** ReleaseAndGetAddressOf()
    {
        Reset();
        return &m_p;
    }
    // A copy for an out-parameter: one new reference for the receiver.
    T* CopyOut() const
    {
        if (m_p)
            m_p->AddRef();
        return m_p;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void Swap(ComPtr& other) noexcept
    {
        T* p = m_p;
        m_p = other.m_p;
        other.m_p = p;
    }

private:
    T* m_p = nullptr;
};

template <class T>
bool operator==(const ComPtr<T>& a, const T* b)
{
    return a.Get() == b;
}
template <class T>
bool operator!=(const ComPtr<T>& a, const T* b)
{
    return a.Get() != b;
}
