// CBaseFilter: the SDK's base filter. It supplies IBaseFilter (with
// IMediaFilter and IPersist) and IAMovieSetup, keeps the filter state, the
// reference clock and the graph and event-sink pointers, and enumerates the
// pins through GetPinCount and GetPin.
//
// How to derive a filter:
//   - pass a CCritSec of the filter as pLock (the state lock; every state
//     change and pin enumeration holds it) and the filter's CLSID;
//   - implement GetPinCount() and GetPin(n) (0-based; null past the end);
//   - override Stop/Pause/Run to start and end streaming, calling the base
//     ones, which activate (Active/Run) and deactivate (Inactive) every
//     connected pin;
//   - report events with NotifyEvent.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>

#include "framework/AMovieSetup.h"
#include "framework/CCritSec.h"
#include "framework/CRefTime.h"
#include "framework/CUnknown.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup
{
    friend class CBasePin;

public:
    // pName: object name for debugging; pUnk: controlling IUnknown or null;
    // pLock: the filter's state lock (not owned; outlives the filter).
    CBaseFilter(LPCWSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid);
    CBaseFilter(LPCWSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN

    // IBaseFilter, IMediaFilter, IPersist and IAMovieSetup.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsID) override;

    // IMediaFilter. Stop deactivates the connected pins (the first failure
    // is returned, every pin is still told); Pause from stopped activates
    // them (stops at the first failure, the state stays unchanged); Run
    // pauses first when stopped, then calls Run(tStart) on each connected pin.
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

    // Clock time minus the start time given to Run (100-ns units);
    // VFW_E_NO_CLOCK without a clock.
    virtual HRESULT StreamTime(CRefTime& rtStream);
    // S_OK while paused or running, S_FALSE when stopped.
    HRESULT IsActive();
    BOOL IsStopped();

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    // The pin whose name equals Id; VFW_E_NOT_FOUND.
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    // Keeps pGraph without a reference (the graph owns the filter) and the
    // graph's IMediaEventSink, also without one; null leaves the graph.
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // Passes the event to the graph's event sink; for EC_COMPLETE param2
    // becomes this filter (IBaseFilter*). E_NOTIMPL outside a graph.
    HRESULT NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);
    IFilterGraph* GetFilterGraph() { return m_pGraph; }
    // The state lock, which also guards the filter's pin list.
    CCritSec* pStateLock() { return m_pLock; }
    // Asks the graph to reconnect pPin (with pmt, or the current type).
    HRESULT ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt);

    // Changes whenever the set of pins changes (enumerators then report
    // VFW_E_ENUM_OUT_OF_SYNC); call IncrementPinVersion after adding or
    // removing pins.
    virtual LONG GetPinVersion();
    void IncrementPinVersion();

    virtual int GetPinCount() = 0;
    // Pin n, 0-based; null when there is none. No reference is added.
    virtual CBasePin* GetPin(int n) = 0;

    // IAMovieSetup: without setup data S_FALSE; registration of a filter
    // goes through the module's template table instead (E_NOTIMPL here).
    STDMETHODIMP Register() override;
    STDMETHODIMP Unregister() override;
    virtual LPAMOVIESETUP_FILTER GetSetupData() { return nullptr; }

protected:
    FILTER_STATE m_State = State_Stopped; // guarded by m_pLock
    IReferenceClock* m_pClock = nullptr;  // owns one reference, or null
    CRefTime m_tStart;                    // stream start given to Run
    CLSID m_clsid;
    CCritSec* const m_pLock;              // not owned
    IFilterGraph* m_pGraph = nullptr;     // not owned: the graph owns the filter
    IMediaEventSink* m_pSink = nullptr;   // not owned: part of m_pGraph

private:
    std::wstring m_name; // given by JoinFilterGraph
    std::atomic<LONG> m_PinVersion{1};
};
