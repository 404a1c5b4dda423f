#include "framework/CEnumMediaTypes.h"

#include <climits>
#include <new>

#include "framework/CBasePin.h"
#include "framework/CMediaType.h"

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, CEnumMediaTypes* pEnumMediaTypes) : m_pPin(pPin)
{
    if (pEnumMediaTypes)
    {
        m_Position = pEnumMediaTypes->m_Position;
        m_Version = pEnumMediaTypes->m_Version;
    }
    else
    {
        m_Version = pPin->GetMediaTypeVersion();
    }
}

CEnumMediaTypes::~CEnumMediaTypes() = default;

STDMETHODIMP CEnumMediaTypes::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IEnumMediaTypes || riid == IID_IUnknown)
    {
        *ppv = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumMediaTypes::AddRef()
{
    return static_cast<ULONG>(++m_cRef);
}

STDMETHODIMP_(ULONG) CEnumMediaTypes::Release()
{
    const LONG ref = --m_cRef;
    if (ref == 0)
        delete this;
    return static_cast<ULONG>(ref);
}

bool CEnumMediaTypes::AreWeOutOfSync() const
{
    return m_pPin->GetMediaTypeVersion() != m_Version;
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched)
{
    if (!ppMediaTypes)
        return E_POINTER;
    if (pcFetched)
        *pcFetched = 0;
    else if (cMediaTypes > 1)
        return E_INVALIDARG;
    if (AreWeOutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;

    ULONG fetched = 0;
    while (fetched < cMediaTypes)
    {
        CMediaType type;
        if (m_pPin->GetMediaType(m_Position, &type) != S_OK)
            break;
        AM_MEDIA_TYPE* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (!copy)
            break;
        m_Position++;
        // The format block and pUnk move into the copy.
        *copy = type;
        type.pbFormat = nullptr;
        type.cbFormat = 0;
        type.pUnk = nullptr;
        ppMediaTypes[fetched++] = copy;
    }
    if (pcFetched)
        *pcFetched = fetched;
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG cMediaTypes)
{
    if (cMediaTypes == 0)
        return S_OK;
    if (AreWeOutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    if (cMediaTypes > static_cast<ULONG>(INT_MAX - m_Position))
        return S_FALSE;
    m_Position += static_cast<int>(cMediaTypes);
    CMediaType type;
    return m_pPin->GetMediaType(m_Position - 1, &type) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Reset()
{
    m_Position = 0;
    m_Version = m_pPin->GetMediaTypeVersion();
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    if (AreWeOutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    CEnumMediaTypes* copy = new (std::nothrow) CEnumMediaTypes(m_pPin.Get(), this);
    if (!copy)
        return E_OUTOFMEMORY;
    *ppEnum = copy;
    return S_OK;
}
