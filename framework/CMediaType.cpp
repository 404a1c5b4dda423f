#include "framework/CMediaType.h"

#include <cstring>

namespace {

bool SameFormatBytes(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    if (a.cbFormat != b.cbFormat)
        return false;
    return a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

} // namespace

void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat != 0 || mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk)
    {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource)
{
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat != 0 && pmtSource->pbFormat)
    {
        pmtTarget->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmtSource->cbFormat));
        if (!pmtTarget->pbFormat)
        {
            pmtTarget->cbFormat = 0;
            pmtTarget->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    }
    else
    {
        pmtTarget->cbFormat = 0;
        pmtTarget->pbFormat = nullptr;
    }
    if (pmtTarget->pUnk)
        pmtTarget->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc)
{
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt)
        return nullptr;
    if (FAILED(CopyMediaType(pmt, pSrc)))
    {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE()
{
    InitMediaType();
}

CMediaType::CMediaType(const GUID* ptype) : CMediaType()
{
    majortype = *ptype;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr) : AM_MEDIA_TYPE()
{
    if (FAILED(CopyMediaType(this, &mt)) && phr)
        *phr = E_OUTOFMEMORY;
}

CMediaType::CMediaType(const CMediaType& mt, HRESULT* phr) : CMediaType(static_cast<const AM_MEDIA_TYPE&>(mt), phr)
{
}

CMediaType::~CMediaType()
{
    FreeMediaType(*this);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& mt)
{
    (void)Set(mt); // a failed copy leaves the type without format, as documented
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& mt)
{
    return *this = static_cast<const AM_MEDIA_TYPE&>(mt);
}

bool CMediaType::operator==(const CMediaType& mt) const
{
    return majortype == mt.majortype && subtype == mt.subtype && formattype == mt.formattype &&
           SameFormatBytes(*this, mt);
}

HRESULT CMediaType::Set(const CMediaType& mt)
{
    return Set(static_cast<const AM_MEDIA_TYPE&>(mt));
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt)
{
    if (&mt == this)
        return S_OK;
    FreeMediaType(*this);
    return CopyMediaType(this, &mt);
}

BOOL CMediaType::IsValid() const
{
    return majortype != GUID_NULL;
}

ULONG CMediaType::GetSampleSize() const
{
    return IsFixedSize() ? lSampleSize : 0;
}

void CMediaType::SetSampleSize(ULONG sz)
{
    if (sz == 0)
    {
        SetVariableSize();
        return;
    }
    bFixedSizeSamples = TRUE;
    lSampleSize = sz;
}

void CMediaType::SetVariableSize()
{
    bFixedSizeSamples = FALSE;
}

void CMediaType::SetTemporalCompression(BOOL bCompressed)
{
    bTemporalCompression = bCompressed;
}

BOOL CMediaType::SetFormat(const BYTE* pformat, ULONG length)
{
    if (!AllocFormatBuffer(length))
        return FALSE;
    if (length != 0)
        std::memcpy(pbFormat, pformat, length);
    return TRUE;
}

void CMediaType::ResetFormatBuffer()
{
    if (cbFormat != 0 || pbFormat)
        CoTaskMemFree(pbFormat);
    cbFormat = 0;
    pbFormat = nullptr;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length)
{
    if (cbFormat == length && pbFormat)
        return pbFormat;
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!block)
        return nullptr;
    ResetFormatBuffer();
    pbFormat = block;
    cbFormat = length;
    return pbFormat;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length)
{
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!block)
        return nullptr;
    if (pbFormat)
        std::memcpy(block, pbFormat, cbFormat < length ? cbFormat : length);
    ResetFormatBuffer();
    pbFormat = block;
    cbFormat = length;
    return pbFormat;
}

void CMediaType::InitMediaType()
{
    FreeMediaType(*this);
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    formattype = GUID_NULL;
    bTemporalCompression = FALSE;
    bFixedSizeSamples = TRUE;
    lSampleSize = 1;
}

bool CMediaType::MatchesPartial(const CMediaType* ppartial) const
{
    if (ppartial->majortype != GUID_NULL && majortype != ppartial->majortype)
        return false;
    if (ppartial->subtype != GUID_NULL && subtype != ppartial->subtype)
        return false;
    if (ppartial->formattype != GUID_NULL)
    {
        if (formattype != ppartial->formattype)
            return false;
        if (!SameFormatBytes(*this, *ppartial))
            return false;
    }
    return true;
}

bool CMediaType::IsPartiallySpecified() const
{
    return majortype == GUID_NULL || formattype == GUID_NULL;
}
