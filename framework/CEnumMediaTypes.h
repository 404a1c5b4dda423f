// CEnumMediaTypes: the SDK's media-type enumerator over a CBasePin's
// GetMediaType. It holds a reference to the pin (and so to its filter); once
// the pin's type version changes it answers VFW_E_ENUM_OUT_OF_SYNC until Reset.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <atomic>

#include "framework/ComPtr.h"

class CBasePin;

class CEnumMediaTypes : public IEnumMediaTypes
{
public:
    // A new enumerator with one reference; with pEnumMediaTypes, a copy of
    // its position (for Clone).
    CEnumMediaTypes(CBasePin* pPin, CEnumMediaTypes* pEnumMediaTypes);
    virtual ~CEnumMediaTypes();
    CEnumMediaTypes(const CEnumMediaTypes&) = delete;
    CEnumMediaTypes& operator=(const CEnumMediaTypes&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Each type handed out is a task-memory copy the caller frees with
    // DeleteMediaType. S_FALSE when fewer than cMediaTypes were left;
    // E_INVALIDARG for cMediaTypes > 1 without pcFetched.
    STDMETHODIMP Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    // S_FALSE when that skips past the last type.
    STDMETHODIMP Skip(ULONG cMediaTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;

private:
    bool AreWeOutOfSync() const;

    std::atomic<LONG> m_cRef{1};
    int m_Position = 0; // 0-based index of the next type
    LONG m_Version = 0; // the pin's type version at the last Reset
    ComPtr<CBasePin> m_pPin;
};
