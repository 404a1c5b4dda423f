// CAsyncSourceFilter: the native build's source filter that hands an
// IAsyncReader downstream through its one output pin (CAsyncSourcePin),
// as the platform's file source does. It has no pins until it has a reader.
//
// Made over any reader (Create; tests make it over memory, see
// tests/support/MemorySource.h); CFileSourceFilter makes one over a file.
#pragma once

#include <dshow.h>

#include <memory>
#include <vector>

#include "framework/CBaseFilter.h"
#include "framework/CCritSec.h"
#include "platform/runtime/AsyncSourcePin.h"

class CAsyncSourceFilter : public CBaseFilter
{
public:
    // A filter offering pReader (one reference held) with type pmt (null:
    // MEDIATYPE_Stream, MEDIASUBTYPE_NULL). S_OK with *ppFilter holding one
    // reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt,
                                        CAsyncSourceFilter** ppFilter);

    // The output pin (no reference added), or null before there is a reader.
    CAsyncSourcePin* Output();

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

protected:
    CAsyncSourceFilter(LPCWSTR pName, REFCLSID clsid, HRESULT* phr);
    ~CAsyncSourceFilter() override;

    // Gives the pin its reader and type; the pin appears with the first.
    [[nodiscard]] HRESULT SetReader(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt);

    CCritSec m_lock; // the filter's state lock, also the pin's lock

private:
    std::unique_ptr<CAsyncSourcePin> m_pin;
    bool m_hasReader = false; // guarded by m_lock
};
