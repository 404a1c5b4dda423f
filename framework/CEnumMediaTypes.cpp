#include "framework/CEnumMediaTypes.h"

#include <new>

#include "framework/CBasePin.h"
#include "framework/CMediaType.h"

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, CEnumMediaTypes* pEnumMediaTypes)
    : CEnumBase(pPin, pEnumMediaTypes)
{
    if (!pEnumMediaTypes)
        (void)Reset();
}

LONG CEnumMediaTypes::SourceVersion()
{
    return GetSource()->GetMediaTypeVersion();
}

bool CEnumMediaTypes::HasItem(int position)
{
    CMediaType type;
    return GetSource()->GetMediaType(position, &type) == S_OK;
}

bool CEnumMediaTypes::FetchItem(int position, AM_MEDIA_TYPE** ppMediaType)
{
    CMediaType type;
    if (GetSource()->GetMediaType(position, &type) != S_OK)
        return false;
    AM_MEDIA_TYPE* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy)
        return false;
    // The format block and pUnk move into the copy.
    *copy = type;
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    type.pUnk = nullptr;
    *ppMediaType = copy;
    return true;
}

IEnumMediaTypes* CEnumMediaTypes::NewCopy()
{
    return new (std::nothrow) CEnumMediaTypes(GetSource(), this);
}
