// A filter's entry with the filter mapper, through either mapper interface.
#include "framework/DllSetup.h"

namespace {

// Removing an entry that is not there.
const HRESULT kNoEntry = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

HRESULT RegisterPins(const AMOVIESETUP_FILTER& filter, IFilterMapper* pdm)
{
    HRESULT hr = S_OK;
    for (UINT p = 0; SUCCEEDED(hr) && p < filter.nPins; p++)
    {
        const AMOVIESETUP_PIN& pin = filter.lpPin[p];
        hr = pdm->RegisterPin(*filter.clsID, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                              pin.clsConnectsToFilter ? *pin.clsConnectsToFilter : CLSID_NULL,
                              pin.strConnectsToPin);
        for (UINT t = 0; SUCCEEDED(hr) && t < pin.nMediaTypes; t++)
            hr = pdm->RegisterPinType(*filter.clsID, pin.strName, *pin.lpMediaType[t].clsMajorType,
                                      *pin.lpMediaType[t].clsMinorType);
    }
    return hr;
}

} // namespace

STDAPI AMovieSetupRegisterFilter2(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper2* pIFM2, BOOL bRegister)
{
    if (!psetupdata)
        return S_FALSE;
    if (!pIFM2)
        return E_POINTER;
    HRESULT hr = pIFM2->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, *psetupdata->clsID);
    if (bRegister)
    {
        REGFILTER2 rf2 = {};
        rf2.dwVersion = 1;
        rf2.dwMerit = psetupdata->dwMerit;
        rf2.cPins = psetupdata->nPins;
        rf2.rgPins = psetupdata->lpPin;
        hr = pIFM2->RegisterFilter(*psetupdata->clsID, psetupdata->strName, nullptr, &CLSID_LegacyAmFilterCategory,
                                   nullptr, &rf2);
    }
    return hr == kNoEntry ? S_OK : hr;
}

STDAPI AMovieSetupRegisterFilter(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper* pdm, BOOL bRegister)
{
    if (!psetupdata)
        return S_FALSE;
    if (!pdm)
        return E_POINTER;
    HRESULT hr = pdm->UnregisterFilter(*psetupdata->clsID);
    if (bRegister)
    {
        hr = pdm->RegisterFilter(*psetupdata->clsID, psetupdata->strName, psetupdata->dwMerit);
        if (SUCCEEDED(hr))
            hr = RegisterPins(*psetupdata, pdm);
    }
    return hr == kNoEntry ? S_OK : hr;
}
