// CFileSourceFilter: the native build's stand-in for the platform's
// "File Source (Async)": IFileSourceFilter::Load opens a file, and the output
// pin "Output" then offers IAsyncReader over it (positioned reads, safe from
// several threads).
#pragma once

#include <dshow.h>

#include <string>

#include "platform/runtime/AsyncSourceFilter.h"

class CFileSourceFilter : public CAsyncSourceFilter, public IFileSourceFilter
{
public:
    // S_OK with *ppFilter holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CFileSourceFilter** ppFilter);

    DECLARE_IUNKNOWN
    // What CBaseFilter offers, and IFileSourceFilter.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Opens pszFileName; the pin offers pmt (null: MEDIATYPE_Stream,
    // MEDIASUBTYPE_NULL). The open's error as an HRESULT (0x80070002 for a
    // missing file); VFW_E_ALREADY_CONNECTED while the pin is connected.
    STDMETHODIMP Load(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt) override;
    // The loaded file's name in task memory and the offered type (either
    // pointer may be null); E_FAIL before a file is loaded.
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) override;

private:
    CFileSourceFilter(HRESULT* phr);
    ~CFileSourceFilter() override;

    std::wstring m_fileName; // guarded by m_lock
};
