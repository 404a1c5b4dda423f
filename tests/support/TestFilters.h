// Filters and pins for the base-class tests: a filter holding any pins, a
// plain pin whose answers a test sets and whose calls it counts, an output
// pin whose IMediaSeeking reports a duration it is told, and an output pin
// that pushes numbered samples on its own thread while running.
#pragma once

#include <dshow.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/streams.h"

// Calls in the order they happened, across filters.
class CallLog
{
public:
    void Add(const std::wstring& call)
    {
        CAutoLock lock(&m_lock);
        m_calls.push_back(call);
    }
    std::vector<std::wstring> Calls()
    {
        CAutoLock lock(&m_lock);
        return m_calls;
    }

private:
    CCritSec m_lock;
    std::vector<std::wstring> m_calls;
};

class CTestFilter : public CBaseFilter, public IAMFilterMiscFlags
{
public:
    DECLARE_IUNKNOWN
    // IAMFilterMiscFlags only when miscFlags is set: a filter may say or not
    // say whether it is a renderer.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IAMFilterMiscFlags && ppv && miscFlags >= 0)
            return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
        return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) GetMiscFlags() override { return static_cast<ULONG>(miscFlags); }

    // One reference for the caller.
    static CTestFilter* Create(const std::wstring& name = L"Test")
    {
        CTestFilter* filter = new CTestFilter(name);
        filter->NonDelegatingAddRef();
        return filter;
    }

    template <class Pin, class... Args>
    Pin* AddPin(Args&&... args)
    {
        auto pin = std::make_unique<Pin>(this, &m_lock, std::forward<Args>(args)...);
        Pin* raw = pin.get();
        m_pins.push_back(std::move(pin));
        IncrementPinVersion();
        return raw;
    }

    int GetPinCount() override { return static_cast<int>(m_pins.size()); }
    CBasePin* GetPin(int n) override { return n >= 0 && n < GetPinCount() ? m_pins[size_t(n)].get() : nullptr; }

    STDMETHODIMP Pause() override
    {
        Log(L"Pause");
        return FAILED(pauseResult) ? pauseResult : CBaseFilter::Pause();
    }
    STDMETHODIMP Run(REFERENCE_TIME tStart) override
    {
        Log(L"Run");
        return CBaseFilter::Run(tStart);
    }
    STDMETHODIMP Stop() override
    {
        Log(L"Stop");
        return CBaseFilter::Stop();
    }

    ULONG RefCount()
    {
        AddRef();
        return Release();
    }
    IFilterGraph* Graph() { return m_pGraph; }
    FILTER_STATE StateNow() { return m_State; }

    CallLog* log = nullptr; // not owned
    HRESULT pauseResult = S_OK;
    long miscFlags = -1; // no IAMFilterMiscFlags

private:
    explicit CTestFilter(const std::wstring& name) : CBaseFilter(L"Test filter", nullptr, &m_lock, CLSID_NULL), m_name(name)
    {
    }
    void Log(const wchar_t* what)
    {
        if (log)
            log->Add(m_name + L" " + what);
    }

    CCritSec m_lock;
    std::wstring m_name;
    std::vector<std::unique_ptr<CBasePin>> m_pins;
};

inline CMediaType MakeType(const GUID& major, const GUID& sub)
{
    CMediaType type(&major);
    type.SetSubtype(&sub);
    type.SetFormatType(&FORMAT_None);
    return type;
}

// A pin that accepts the subtypes it is told to, offers the types it is
// told to, and counts the calls the base class makes.
class CTestPin : public CBasePin
{
public:
    CTestPin(CBaseFilter* filter, CCritSec* lock, LPCWSTR name, PIN_DIRECTION dir)
        : CBasePin(L"Test pin", filter, lock, nullptr, name, dir)
    {
    }

    HRESULT CheckMediaType(const CMediaType* pmt) override
    {
        checked.push_back(pmt->subtype);
        const bool ok = accepted.empty() || std::find(accepted.begin(), accepted.end(), pmt->subtype) != accepted.end();
        return ok ? S_OK : refusal;
    }
    HRESULT GetMediaType(int i, CMediaType* pmt) override
    {
        if (i < 0)
            return E_INVALIDARG;
        if (static_cast<size_t>(i) >= offered.size())
            return VFW_S_NO_MORE_ITEMS;
        return pmt->Set(offered[static_cast<size_t>(i)]);
    }
    HRESULT CheckConnect(IPin* pin) override
    {
        const HRESULT hr = CBasePin::CheckConnect(pin);
        return FAILED(hr) ? hr : checkConnectResult;
    }
    HRESULT CompleteConnect(IPin*) override { ++completeConnects; return completeConnectResult; }
    HRESULT BreakConnect() override { ++breakConnects; return CBasePin::BreakConnect(); }
    HRESULT Active() override { ++actives; return activeResult; }
    HRESULT Inactive() override { ++inactives; return inactiveResult; }
    HRESULT Run(REFERENCE_TIME) override { ++runs; return S_OK; }
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }
    void TryMyTypesFirst() { m_bTryMyTypesFirst = true; }
    const CMediaType& ConnectionType() const { return m_mt; }

    std::vector<CMediaType> offered;
    std::vector<GUID> accepted; // subtypes; empty accepts every type
    HRESULT refusal = S_FALSE;  // CheckMediaType's answer for other subtypes
    HRESULT checkConnectResult = S_OK;
    HRESULT completeConnectResult = S_OK;
    HRESULT activeResult = S_OK;
    HRESULT inactiveResult = S_OK;
    std::vector<GUID> checked; // subtypes given to CheckMediaType, in order
    int completeConnects = 0;
    int breakConnects = 0;
    int actives = 0;
    int inactives = 0;
    int runs = 0;
};

// An output pin whose IMediaSeeking reports a duration it is told.
class CSeekingPin : public CTestPin, public IMediaSeeking
{
public:
    CSeekingPin(CBaseFilter* filter, CCritSec* lock, LPCWSTR name) : CTestPin(filter, lock, name, PINDIR_OUTPUT)
    {
        offered = {MakeType(MEDIATYPE_Video, MEDIASUBTYPE_dvsd)};
    }

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IMediaSeeking)
            return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
        return CTestPin::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override
    {
        return *pFormat == TIME_FORMAT_MEDIA_TIME && mediaTime ? S_OK : S_FALSE;
    }
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override
    {
        ++durationCalls;
        *pDuration = duration;
        return durationResult;
    }
    STDMETHODIMP GetCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetRate(double) override { return E_NOTIMPL; }
    STDMETHODIMP GetRate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPreroll(LONGLONG*) override { return E_NOTIMPL; }

    bool mediaTime = true;
    LONGLONG duration = 0; // 100-ns units
    HRESULT durationResult = S_OK;
    int durationCalls = 0;
};

// Sample i of a pushed stream: its size, its bytes and its start (25 per second).
inline LONG PushedSize(LONG i) { return 100 + 10 * i; }
inline BYTE PushedByte(LONG i, LONG k) { return static_cast<BYTE>(i * 31 + k); }
inline REFERENCE_TIME PushedStart(LONG i) { return static_cast<REFERENCE_TIME>(i) * 400000; }

// An output pin that, when its filter runs, delivers samplesToPush samples
// (PushedSize/PushedByte/PushedStart, media times i to i + 1, the first a
// sync point) and then end of stream. It stops at the first answer other
// than S_OK; a failure is reported as EC_ERRORABORT instead of ending the
// stream. With a gate, it waits for the gate before pushing.
class CPushPin : public CBaseOutputPin
{
public:
    CPushPin(CBaseFilter* filter, CCritSec* lock, LPCWSTR name)
        : CBaseOutputPin(L"Push pin", filter, lock, nullptr, name), type(MakeType(MEDIATYPE_Video, MEDIASUBTYPE_dvsd))
    {
    }
    ~CPushPin() override { Join(); }

    HRESULT CheckMediaType(const CMediaType* pmt) override
    {
        return pmt->majortype == type.majortype ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int i, CMediaType* pmt) override
    {
        if (i < 0)
            return E_INVALIDARG;
        return i == 0 ? pmt->Set(type) : VFW_S_NO_MORE_ITEMS;
    }
    // Takes the larger of its request and the downstream requirement, unless
    // strict; strict insists on exactly its request.
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* props) override
    {
        requirement = *props;
        ALLOCATOR_PROPERTIES want = request;
        if (!strict)
            want = {std::max(props->cBuffers, want.cBuffers), std::max(props->cbBuffer, want.cbBuffer),
                    std::max(props->cbAlign, want.cbAlign), std::max(props->cbPrefix, want.cbPrefix)};
        const HRESULT hr = alloc->SetProperties(&want, &actual);
        if (FAILED(hr))
            return hr;
        const bool same = std::memcmp(&actual, &want, sizeof want) == 0;
        return (strict && !same) || actual.cBuffers < want.cBuffers || actual.cbBuffer < want.cbBuffer ? E_FAIL
                                                                                                         : S_OK;
    }
    HRESULT Run(REFERENCE_TIME tStart) override
    {
        Join();
        m_thread = std::thread([this] { Push(); });
        return CBaseOutputPin::Run(tStart);
    }
    HRESULT Inactive() override
    {
        const HRESULT hr = CBaseOutputPin::Inactive(); // decommit wakes a waiting GetDeliveryBuffer
        Join();
        return hr;
    }
    IMemAllocator* Allocator() { return m_pAllocator; }

    CMediaType type;
    ALLOCATOR_PROPERTIES request{4, 4096, 1, 0};
    bool strict = false;
    ALLOCATOR_PROPERTIES requirement{}; // what DecideBufferSize was given
    ALLOCATOR_PROPERTIES actual{};
    LONG samplesToPush = 8;
    HANDLE gate = nullptr; // not owned
    std::atomic<HRESULT> pushResult{S_OK};
    std::atomic<LONG> delivered{0};

private:
    void Join() { if (m_thread.joinable()) m_thread.join(); }
    HRESULT PushOne(LONG i)
    {
        IMediaSample* sample = nullptr;
        HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr))
            return hr;
        BYTE* data = nullptr;
        (void)sample->GetPointer(&data);
        for (LONG k = 0; k < PushedSize(i); k++)
            data[k] = PushedByte(i, k);
        (void)sample->SetActualDataLength(PushedSize(i));
        REFERENCE_TIME start = PushedStart(i), stop = PushedStart(i + 1);
        LONGLONG mediaStart = i, mediaStop = i + 1;
        (void)sample->SetTime(&start, &stop);
        (void)sample->SetMediaTime(&mediaStart, &mediaStop);
        (void)sample->SetSyncPoint(i == 0);
        hr = Deliver(sample);
        sample->Release();
        return hr;
    }
    void Push()
    {
        if (gate)
            (void)WaitForSingleObject(gate, INFINITE);
        HRESULT hr = S_OK;
        for (LONG i = 0; i < samplesToPush && hr == S_OK; i++)
        {
            hr = PushOne(i);
            if (hr == S_OK)
                delivered++;
        }
        pushResult = hr;
        if (FAILED(hr))
            (void)m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
        else
            (void)DeliverEndOfStream();
    }

    std::thread m_thread;
};
