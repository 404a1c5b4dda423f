// CEnumBase: what the SDK's pin and media-type enumerators (CEnumPins,
// CEnumMediaTypes) share: a 0-based position over a source object (a filter
// or a pin) whose version changes when its items change; after such a change
// Next, Skip and Clone answer VFW_E_ENUM_OUT_OF_SYNC until Reset.
//
// To derive: class CEnumFoos : public CEnumBase<IEnumFoos, IID_IEnumFoos,
// Foo, CSource> with a constructor (CSource*, CEnumFoos* pCopy) that passes
// both on and, without a copy, calls Reset; then implement SourceVersion,
// HasItem, FetchItem and NewCopy (and OnReset to take a snapshot of the
// source).
#pragma once

#include <windows.h>

#include <dshow.h>

#include <climits>

#include "framework/ComPtr.h"
#include "framework/RefCountedObject.h"

template <class Interface, const IID& InterfaceId, class Item, class Source>
class CEnumBase : public CRefCountedObject<Interface, InterfaceId>
{
public:
    // Each item handed out is the caller's (see FetchItem). S_FALSE when
    // fewer than cItems were left; E_INVALIDARG for cItems > 1 without
    // pcFetched.
    STDMETHODIMP Next(ULONG cItems, Item** ppItems, ULONG* pcFetched) override
    {
        if (!ppItems)
            return E_POINTER;
        if (pcFetched)
            *pcFetched = 0;
        else if (cItems > 1)
            return E_INVALIDARG;
        if (AreWeOutOfSync())
            return VFW_E_ENUM_OUT_OF_SYNC;

        ULONG fetched = 0;
        while (fetched < cItems && FetchItem(m_Position, &ppItems[fetched]))
        {
            m_Position++;
            fetched++;
        }
        if (pcFetched)
            *pcFetched = fetched;
        return fetched == cItems ? S_OK : S_FALSE;
    }

    // All or nothing: S_FALSE, and the position kept, when fewer than cItems
    // are left.
    STDMETHODIMP Skip(ULONG cItems) override
    {
        if (AreWeOutOfSync())
            return VFW_E_ENUM_OUT_OF_SYNC;
        if (cItems == 0)
            return S_OK;
        if (cItems > static_cast<ULONG>(INT_MAX - m_Position))
            return S_FALSE;
        const int last = m_Position + static_cast<int>(cItems) - 1;
        if (!HasItem(last))
            return S_FALSE;
        m_Position = last + 1;
        return S_OK;
    }

    // Back to the first item, in step with the source's current version.
    STDMETHODIMP Reset() override
    {
        m_Version = SourceVersion();
        OnReset();
        m_Position = 0;
        return S_OK;
    }

    // A new enumerator at the same position.
    STDMETHODIMP Clone(Interface** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        if (AreWeOutOfSync())
            return VFW_E_ENUM_OUT_OF_SYNC;
        *ppEnum = NewCopy();
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }

protected:
    // Holds a reference to pSource; with pCopy, takes its position and
    // version (the derived constructor calls Reset otherwise).
    CEnumBase(Source* pSource, const CEnumBase* pCopy) : m_pSource(pSource)
    {
        if (pCopy)
        {
            m_Position = pCopy->m_Position;
            m_Version = pCopy->m_Version;
        }
    }

    // The source's current version of its items.
    virtual LONG SourceVersion() = 0;
    // Takes what Reset must fix about the source (such as an item count).
    virtual void OnReset() {}
    // An item stands at the 0-based position.
    virtual bool HasItem(int position) = 0;
    // Stores the item at the 0-based position, with the reference or copy
    // the caller owns, in *ppItem; false when there is none or it cannot be
    // handed out.
    virtual bool FetchItem(int position, Item** ppItem) = 0;
    // new (std::nothrow) of the derived enumerator copying this one; null
    // when out of memory.
    virtual Interface* NewCopy() = 0;

    Source* GetSource() const { return m_pSource.Get(); }

private:
    bool AreWeOutOfSync() { return SourceVersion() != m_Version; }

    const ComPtr<Source> m_pSource;
    int m_Position = 0; // 0-based index of the next item
    LONG m_Version = 0; // the source's version at the last Reset
};
