// The IUnknown of COM objects that offer one interface besides IUnknown and
// are never aggregated: the class factory, the pin and media-type
// enumerators, and the native stand-in's allocator, samples and readers.
// Filters and pins use CUnknown instead.
//
// To derive: CFoo : public CRefCountedObject<IFoo, IID_IFoo>; objects start
// with one reference (or initialCount) and are deleted by their last Release
// unless the derived class overrides Release.
#pragma once

#include <unknwn.h>

#include <atomic>

template <class Interface, const IID& InterfaceId>
class CRefCountedObject : public Interface
{
public:
    CRefCountedObject(const CRefCountedObject&) = delete;
    CRefCountedObject& operator=(const CRefCountedObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == InterfaceId)
        {
            *ppv = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG count = --m_refCount;
        if (count == 0)
            delete this;
        return count;
    }

protected:
    explicit CRefCountedObject(ULONG initialCount = 1) : m_refCount(initialCount) {}
    virtual ~CRefCountedObject() = default;

    std::atomic<ULONG> m_refCount;
};
