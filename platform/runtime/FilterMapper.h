// The native build's filter mapper (CLSID_FilterMapper2): registers and
// removes filters in the registry file, in the layout of FilterMapperStore.h.
// CoCreateInstance makes it; it is not aggregatable.
//
// RegisterFilter takes REGFILTER2 version 1 (pins with names and media
// types); the instance name defaults to the filter's class identifier, the
// category to CLSID_LegacyAmFilterCategory, and no moniker is returned.
// Finding filters (EnumMatchingFilters) and categories (CreateCategory) are
// not offered: E_NOTIMPL.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/RefCountedObject.h"

class CFilterMapper : public CRefCountedObject<IFilterMapper2, IID_IFilterMapper2>
{
public:
    // A new mapper's riid in *ppv, or E_NOINTERFACE, E_OUTOFMEMORY.
    static HRESULT Create(REFIID riid, void** ppv);

    STDMETHODIMP CreateCategory(REFCLSID clsidCategory, DWORD dwCategoryMerit, LPCWSTR Description) override;
    // 0x80070002 when there is no such entry.
    STDMETHODIMP UnregisterFilter(const CLSID* pclsidCategory, LPCOLESTR szInstance, REFCLSID Filter) override;
    // E_POINTER for missing tables, E_NOTIMPL for REGFILTER2 version 2,
    // E_INVALIDARG for a pin name that cannot be a key name; the registry's
    // failures as HRESULTs.
    STDMETHODIMP RegisterFilter(REFCLSID clsidFilter, LPCWSTR Name, IMoniker** ppMoniker,
                                const CLSID* pclsidCategory, LPCOLESTR szInstance, const REGFILTER2* prf2) override;
    STDMETHODIMP EnumMatchingFilters(IEnumMoniker** ppEnum, DWORD dwFlags, BOOL bExactMatch, DWORD dwMerit,
                                     BOOL bInputNeeded, DWORD cInputTypes, const GUID* pInputTypes,
                                     const REGPINMEDIUM* pMedIn, const CLSID* pPinCategoryIn, BOOL bRender,
                                     BOOL bOutputNeeded, DWORD cOutputTypes, const GUID* pOutputTypes,
                                     const REGPINMEDIUM* pMedOut, const CLSID* pPinCategoryOut) override;

private:
    CFilterMapper() = default;
};
