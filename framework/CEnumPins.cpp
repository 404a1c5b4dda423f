#include "framework/CEnumPins.h"

#include <new>

#include "framework/CBaseFilter.h"
#include "framework/CBasePin.h"

CEnumPins::CEnumPins(CBaseFilter* pFilter, CEnumPins* pEnumPins) : CEnumBase(pFilter, pEnumPins)
{
    if (pEnumPins)
        m_PinCount = pEnumPins->m_PinCount;
    else
        (void)Reset();
}

LONG CEnumPins::SourceVersion()
{
    return GetSource()->GetPinVersion();
}

void CEnumPins::OnReset()
{
    m_PinCount = GetSource()->GetPinCount();
}

bool CEnumPins::HasItem(int position)
{
    return position < m_PinCount;
}

bool CEnumPins::FetchItem(int position, IPin** ppPin)
{
    if (!HasItem(position))
        return false;
    // Under the filter's lock, so the pin cannot be removed between being
    // found and being referenced.
    CAutoLock lock(GetSource()->pStateLock());
    CBasePin* pin = GetSource()->GetPin(position);
    if (!pin)
        return false;
    pin->AddRef();
    *ppPin = pin;
    return true;
}

IEnumPins* CEnumPins::NewCopy()
{
    return new (std::nothrow) CEnumPins(GetSource(), this);
}
