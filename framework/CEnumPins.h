// CEnumPins: the SDK's pin enumerator over a CBaseFilter's GetPinCount and
// GetPin. It holds a reference to the filter; once the filter's pin version
// changes it answers VFW_E_ENUM_OUT_OF_SYNC until Reset.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <atomic>

#include "framework/ComPtr.h"

class CBaseFilter;

class CEnumPins : public IEnumPins
{
public:
    // A new enumerator with one reference; with pEnumPins, a copy of its
    // position (for Clone).
    CEnumPins(CBaseFilter* pFilter, CEnumPins* pEnumPins);
    virtual ~CEnumPins();
    CEnumPins(const CEnumPins&) = delete;
    CEnumPins& operator=(const CEnumPins&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Each pin handed out carries one reference. S_FALSE when fewer than
    // cPins were left; E_INVALIDARG for cPins > 1 without pcFetched.
    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;

private:
    bool AreWeOutOfSync() const;

    std::atomic<LONG> m_cRef{1};
    int m_Position = 0; // 0-based index of the next pin
    int m_PinCount = 0; // as the filter reported at the last Reset
    LONG m_Version = 0; // the filter's pin version at the last Reset
    ComPtr<CBaseFilter> m_pFilter;
};
