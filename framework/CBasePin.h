// CBasePin: the SDK's base pin. It supplies IPin and IQualityControl, runs
// the connection handshake and keeps the connected peer (m_Connected) and the
// connection's media type (m_mt). Its reference count follows the filter's:
// a pin lives as long as its filter, which deletes it.
//
// How to derive a pin:
//   - CheckMediaType(pmt): S_OK for a type the pin accepts;
//   - GetMediaType(i, pmt): the pin's preferred types, 0-based, then
//     VFW_S_NO_MORE_ITEMS;
//   - CheckConnect(pPin) to look at the peer before any type is tried
//     (call the base first: it refuses a pin of the same direction);
//   - CompleteConnect(pPin) to finish once both sides agree, and
//     BreakConnect() to undo what CheckConnect and CompleteConnect set up
//     (called on every failed attempt and on Disconnect);
//   - Active(), Inactive(), Run() follow the filter's state changes;
//   - IPin's BeginFlush and EndFlush.
//
// The handshake: Connect(pReceivePin, pmt) on the connecting pin tries, with
// a fully specified pmt, only that type; otherwise the receiving pin's types
// and then its own (matching pmt where one is given). For each type:
// CheckConnect, CheckMediaType, SetMediaType, then the peer's
// ReceiveConnection (which runs its own CheckConnect, CheckMediaType,
// SetMediaType, CompleteConnect) and finally CompleteConnect here.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>

#include "framework/CBaseFilter.h"
#include "framework/CCritSec.h"
#include "framework/CMediaType.h"
#include "framework/CRefTime.h"
#include "framework/CUnknown.h"
#include "framework/ComPtr.h"

class CBasePin : public CUnknown, public IPin, public IQualityControl
{
public:
    // pObjectName: for debugging; pFilter: the owning filter (not owned);
    // pLock: the pin's lock (not owned), held during the connection calls;
    // pName: the pin's name, also its id. *phr becomes E_OUTOFMEMORY when
    // the name cannot be copied.
    CBasePin(LPCWSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN

    // IPin and IQualityControl.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // Counted on the filter.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    // This side only: BreakConnect, then the peer is released. S_FALSE when
    // not connected; VFW_E_NOT_STOPPED unless the filter is stopped.
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    // The pin's name, in task memory the caller frees.
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    // CheckMediaType's answer with every failure turned into S_FALSE.
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IQualityControl: quality messages are not handled (E_NOTIMPL); the
    // sink is kept without a reference.
    STDMETHODIMP Notify(IBaseFilter* pSender, Quality q) override;
    STDMETHODIMP SetSink(IQualityControl* piqc) override;

    BOOL IsConnected() const { return m_Connected ? TRUE : FALSE; }
    // References held on this pin itself (each counts on the filter too);
    // a filter may delete a pin it has removed once this is 0.
    LONG GetPinReferences() const { return m_cRef.load(); }
    // The peer, without a reference added; null when not connected.
    IPin* GetConnected() const { return m_Connected.Get(); }
    BOOL IsStopped() const { return m_pFilter->m_State == State_Stopped; }
    LPWSTR Name() { return &m_name[0]; }

    // Changes whenever the pin's preferred types change (enumerators then
    // report VFW_E_ENUM_OUT_OF_SYNC).
    virtual LONG GetMediaTypeVersion();
    void IncrementTypeVersion();

    // Called by the filter for a connected pin: Active when leaving the
    // stopped state, Run when starting to run, Inactive when stopping.
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME tStart);

    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    // Keeps a copy as the connection's type (m_mt).
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    // VFW_E_INVALID_DIRECTION for a peer of the same direction.
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    // The pin's preferred types; E_UNEXPECTED here (none).
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);

    REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
    double CurrentRate() const { return m_dRate; }

protected:
    // Connect's search for a type both pins accept.
    HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    // VFW_E_ALREADY_CONNECTED or VFW_E_NOT_STOPPED when no connection may
    // start now; the pin lock must be held.
    HRESULT CanStartConnection();
    // Disconnect without the state check; the pin lock must be held.
    HRESULT DisconnectInternal();

    ComPtr<IPin> m_Connected; // the peer while connected
    const PIN_DIRECTION m_dir;
    CCritSec* const m_pLock;     // not owned
    bool m_bRunTimeError = false;
    bool m_bCanReconnectWhenActive = false;
    bool m_bTryMyTypesFirst = false; // the receiving pin's types are tried first
    CBaseFilter* const m_pFilter; // not owned: the filter owns the pin
    IQualityControl* m_pQSink = nullptr; // not owned
    std::atomic<LONG> m_TypeVersion{1};
    CMediaType m_mt; // the connection's type while connected
    CRefTime m_tStart; // NewSegment's values, 100-ns units
    CRefTime m_tStop;
    double m_dRate = 1.0;

private:
    std::wstring m_name;
};
