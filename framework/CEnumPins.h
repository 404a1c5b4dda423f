// CEnumPins: the SDK's pin enumerator over a CBaseFilter's GetPinCount and
// GetPin. It holds a reference to the filter; once the filter's pin version
// changes it answers VFW_E_ENUM_OUT_OF_SYNC until Reset.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/CEnumBase.h"

class CBaseFilter;

class CEnumPins : public CEnumBase<IEnumPins, IID_IEnumPins, IPin, CBaseFilter>
{
public:
    // A new enumerator with one reference; with pEnumPins, a copy of its
    // position (for Clone). Each pin Next hands out carries one reference.
    CEnumPins(CBaseFilter* pFilter, CEnumPins* pEnumPins);

protected:
    LONG SourceVersion() override;
    void OnReset() override;
    bool HasItem(int position) override;
    bool FetchItem(int position, IPin** ppPin) override;
    IEnumPins* NewCopy() override;

private:
    int m_PinCount = 0; // as the filter reported at the last Reset
};
