// CEnumMediaTypes: the SDK's media-type enumerator over a CBasePin's
// GetMediaType. It holds a reference to the pin (and so to its filter); once
// the pin's type version changes it answers VFW_E_ENUM_OUT_OF_SYNC until Reset.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/CEnumBase.h"

class CBasePin;

class CEnumMediaTypes : public CEnumBase<IEnumMediaTypes, IID_IEnumMediaTypes, AM_MEDIA_TYPE, CBasePin>
{
public:
    // A new enumerator with one reference; with pEnumMediaTypes, a copy of
    // its position (for Clone). Each type Next hands out is a task-memory
    // copy the caller frees with DeleteMediaType.
    CEnumMediaTypes(CBasePin* pPin, CEnumMediaTypes* pEnumMediaTypes);

protected:
    LONG SourceVersion() override;
    bool HasItem(int position) override;
    bool FetchItem(int position, AM_MEDIA_TYPE** ppMediaType) override;
    IEnumMediaTypes* NewCopy() override;
};
