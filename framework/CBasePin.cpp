#include "framework/CBasePin.h"

#include <cwchar>
#include <new>

#include "framework/CEnumMediaTypes.h"

namespace {

// A type refused without a reason of its own becomes "type not accepted";
// specific failure codes pass through.
HRESULT RefusalCode(HRESULT hr)
{
    if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return hr;
}

// Codes too general to explain a failed search; a more specific one is kept.
bool IsGeneralRefusal(HRESULT hr)
{
    return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED;
}

} // namespace

CBasePin::CBasePin(LPCWSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
                   PIN_DIRECTION dir)
    : CUnknown(pObjectName, nullptr), m_dir(dir), m_pLock(pLock), m_pFilter(pFilter)
{
    try
    {
        m_name = pName ? pName : L"";
    }
    catch (const std::bad_alloc&)
    {
        if (phr)
            *phr = E_OUTOFMEMORY;
    }
}

// A pin should be disconnected before its filter deletes it; if not,
// m_Connected at least releases the peer's reference.
CBasePin::~CBasePin() = default;

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IPin)
        return GetInterface(static_cast<IPin*>(this), ppv);
    if (riid == IID_IQualityControl)
        return GetInterface(static_cast<IQualityControl*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef()
{
    ++m_cRef;
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease()
{
    // Nothing of the pin is touched after its count drops: a filter may
    // delete a pin nobody references any more.
    CBaseFilter* const filter = m_pFilter;
    --m_cRef;
    return filter->Release();
}

HRESULT CBasePin::CanStartConnection()
{
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped() && !m_bCanReconnectWhenActive)
        return VFW_E_NOT_STOPPED;
    return S_OK;
}

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!pReceivePin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    HRESULT hr = CanStartConnection();
    if (FAILED(hr))
        return hr;
    CMediaType wanted;
    if (pmt)
    {
        hr = wanted.Set(*pmt);
        if (FAILED(hr))
            return hr;
    }
    hr = AgreeMediaType(pReceivePin, pmt ? &wanted : nullptr);
    if (FAILED(hr))
    {
        (void)BreakConnect(); // the failure being returned says enough
        return hr;
    }
    return S_OK;
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt)
{
    if (pmt && !pmt->IsPartiallySpecified())
        return AttemptConnection(pReceivePin, pmt);

    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int pass = 0; pass < 2; pass++)
    {
        IEnumMediaTypes* pEnum = nullptr;
        const bool peerTypes = (pass == 0) != m_bTryMyTypesFirst;
        HRESULT hr = peerTypes ? pReceivePin->EnumMediaTypes(&pEnum) : EnumMediaTypes(&pEnum);
        if (FAILED(hr) || !pEnum)
            continue;
        hr = TryMediaTypes(pReceivePin, pmt, pEnum);
        pEnum->Release();
        if (SUCCEEDED(hr))
            return S_OK;
        if (!IsGeneralRefusal(hr))
            hrFailure = hr;
    }
    return hrFailure;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum)
{
    HRESULT hr = pEnum->Reset();
    if (FAILED(hr))
        return hr;
    HRESULT hrFailure = S_OK;
    for (;;)
    {
        AM_MEDIA_TYPE* offered = nullptr;
        ULONG fetched = 0;
        hr = pEnum->Next(1, &offered, &fetched);
        if (hr != S_OK || fetched != 1 || !offered)
        {
            DeleteMediaType(offered);
            return hrFailure == S_OK ? VFW_E_NO_ACCEPTABLE_TYPES : hrFailure;
        }
        CMediaType candidate;
        hr = candidate.Set(*offered);
        DeleteMediaType(offered);
        if (SUCCEEDED(hr))
        {
            if (!pmt || candidate.MatchesPartial(pmt))
            {
                hr = AttemptConnection(pReceivePin, &candidate);
                if (FAILED(hr) && SUCCEEDED(hrFailure) && !IsGeneralRefusal(hr))
                    hrFailure = hr;
            }
            else
            {
                hr = VFW_E_NO_ACCEPTABLE_TYPES;
            }
        }
        if (hr == S_OK)
            return hr;
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt)
{
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr))
    {
        (void)BreakConnect(); // the failure being returned says enough
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr == S_OK)
    {
        // Look connected already: the peer's ReceiveConnection may call back.
        m_Connected = ComPtr<IPin>(pReceivePin);
        hr = SetMediaType(pmt);
        if (SUCCEEDED(hr))
        {
            hr = pReceivePin->ReceiveConnection(static_cast<IPin*>(this), pmt);
            if (SUCCEEDED(hr))
            {
                hr = CompleteConnect(pReceivePin);
                if (SUCCEEDED(hr))
                    return hr;
                (void)pReceivePin->Disconnect(); // undo the peer's half
            }
        }
    }
    else
    {
        hr = RefusalCode(hr);
    }
    (void)BreakConnect(); // the failure being returned says enough
    m_Connected.Reset();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (!pConnector || !pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    HRESULT hr = CanStartConnection();
    if (FAILED(hr))
        return hr;
    hr = CheckConnect(pConnector);
    if (FAILED(hr))
    {
        (void)BreakConnect();
        return hr;
    }
    CMediaType type;
    hr = type.Set(*pmt);
    if (SUCCEEDED(hr))
        hr = CheckMediaType(&type);
    if (hr != S_OK)
    {
        (void)BreakConnect();
        return RefusalCode(hr);
    }
    m_Connected = ComPtr<IPin>(pConnector);
    hr = SetMediaType(&type);
    if (SUCCEEDED(hr))
    {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    m_Connected.Reset();
    (void)BreakConnect();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect()
{
    CAutoLock lock(m_pLock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal()
{
    if (!m_Connected)
        return S_FALSE;
    const HRESULT hr = BreakConnect();
    if (FAILED(hr))
        return hr;
    m_Connected.Reset();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin)
{
    if (!pPin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    *pPin = m_Connected.CopyOut();
    return *pPin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_Connected)
    {
        *pmt = AM_MEDIA_TYPE();
        pmt->bFixedSizeSamples = TRUE;
        pmt->lSampleSize = 1;
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    if (m_pFilter)
        m_pFilter->AddRef();
    const size_t n = m_name.size() < MAX_PIN_NAME - 1 ? m_name.size() : MAX_PIN_NAME - 1;
    std::wmemcpy(pInfo->achName, m_name.c_str(), n);
    pInfo->achName[n] = L'\0';
    pInfo->dir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    if (!pPinDir)
        return E_POINTER;
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* Id)
{
    if (!Id)
        return E_POINTER;
    const size_t bytes = (m_name.size() + 1) * sizeof(WCHAR);
    *Id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*Id)
        return E_OUTOFMEMORY;
    std::wmemcpy(*Id, m_name.c_str(), m_name.size() + 1);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CMediaType type;
    if (FAILED(type.Set(*pmt)))
        return E_OUTOFMEMORY;
    const HRESULT hr = CheckMediaType(&type);
    return FAILED(hr) ? S_FALSE : hr;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    CEnumMediaTypes* pEnum = new (std::nothrow) CEnumMediaTypes(this, nullptr);
    *ppEnum = pEnum;
    return pEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin** apPin, ULONG* nPin)
{
    (void)apPin;
    (void)nPin;
    return E_NOTIMPL; // every input reaches every output
}

STDMETHODIMP CBasePin::EndOfStream()
{
    return S_OK;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

STDMETHODIMP CBasePin::Notify(IBaseFilter* pSender, Quality q)
{
    (void)pSender;
    (void)q;
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::SetSink(IQualityControl* piqc)
{
    CAutoLock lock(m_pLock);
    m_pQSink = piqc;
    return S_OK;
}

LONG CBasePin::GetMediaTypeVersion()
{
    return m_TypeVersion.load();
}

void CBasePin::IncrementTypeVersion()
{
    ++m_TypeVersion;
}

HRESULT CBasePin::Active()
{
    return S_OK;
}

HRESULT CBasePin::Inactive()
{
    m_bRunTimeError = false;
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME tStart)
{
    (void)tStart;
    return S_OK;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt)
{
    return m_mt.Set(*pmt);
}

HRESULT CBasePin::CheckConnect(IPin* pPin)
{
    PIN_DIRECTION dir = PINDIR_INPUT;
    const HRESULT hr = pPin->QueryDirection(&dir);
    if (FAILED(hr))
        return hr;
    return dir == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect()
{
    return S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin* pReceivePin)
{
    (void)pReceivePin;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    (void)iPosition;
    (void)pMediaType;
    return E_UNEXPECTED;
}
