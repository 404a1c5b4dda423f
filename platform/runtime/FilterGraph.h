// CFilterGraph: the native build's filter graph manager (the platform's
// CLSID_FilterGraph). It holds its filters, connects pins with the platform's
// handshake (ConnectDirect calls the output pin's Connect), changes the state
// of all filters together, and, as the filters' event sink, records every
// event, queues events for the application and reports completion once every
// sink (a filter with a connected input pin and no output pins) has sent
// EC_COMPLETE.
//
// An application drives it through IGraphBuilder, IMediaControl,
// IMediaEventEx, IMediaFilter and IMediaSeeking, as on the platform; the
// native tests also use the C++ members below the interfaces.
//
// State changes go downstream first: sinks before the filters that feed
// them, sources last, so that no filter delivers into one not yet started
// or already stopped. Filters run unclocked from stream time 0 whatever
// clock is set. Nothing here stops the graph by itself; after an error
// event the caller calls Stop, as an application does.
//
// Its concerns live in separate files: FilterGraph.cpp (object, filters,
// connections), FilterGraphControl.cpp (state), FilterGraphEvents.cpp
// (events and completion), FilterGraphSeeking.cpp (duration).
//
// Lock order: m_lock, then m_eventLock. Notify takes m_eventLock only, so a
// filter's streaming thread can report while Stop holds m_lock and waits for
// that thread.
#pragma once

#include <dshow.h>

#include <deque>
#include <string>
#include <vector>

#include "framework/CCritSec.h"
#include "framework/CHandle.h"
#include "framework/CUnknown.h"
#include "framework/ComPtr.h"

struct GraphEvent
{
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

class CFilterGraph : public CUnknown,
                     public IGraphBuilder,
                     public IMediaEventSink,
                     public IMediaControl,
                     public IMediaEventEx,
                     public IMediaFilter,
                     public IMediaSeeking
{
public:
    // S_OK with *ppGraph holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CFilterGraph** ppGraph);
    // For CoCreateInstance: a new graph's riid interface in *ppv.
    [[nodiscard]] static HRESULT CreateInstance(REFIID riid, void** ppv);

    DECLARE_IUNKNOWN
    // IFilterGraph, IGraphBuilder, IMediaEventSink, IMediaControl (and its
    // IDispatch), IMediaEvent, IMediaEventEx, IMediaFilter (and IPersist),
    // IMediaSeeking.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IFilterGraph. AddFilter holds a reference to the filter and gives it a
    // unique name (VFW_S_DUPLICATE_NAME when pName had to be changed; a null
    // pName gets one made up). RemoveFilter disconnects the filter's pins on
    // both sides first. ConnectDirect needs both pins' filters in the graph
    // (VFW_E_NOT_IN_GRAPH) and an output and an input pin
    // (VFW_E_INVALID_DIRECTION). Disconnect breaks one side only, as on the
    // platform. Reconnect disconnects both sides and connects them again with
    // the type they had. EnumFilters is not offered (E_NOTIMPL).
    STDMETHODIMP AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
    STDMETHODIMP RemoveFilter(IBaseFilter* pFilter) override;
    STDMETHODIMP EnumFilters(IEnumFilters** ppEnum) override;
    STDMETHODIMP FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) override;
    STDMETHODIMP ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Reconnect(IPin* ppin) override;
    STDMETHODIMP Disconnect(IPin* ppin) override;
    STDMETHODIMP SetDefaultSyncSource() override;

    // IGraphBuilder. There is no search for intermediate filters: Connect
    // is a direct connection with any type the pins agree on, and Render
    // answers VFW_E_CANNOT_RENDER. AddSourceFilter adds a file source
    // (CLSID_AsyncReader) with the file loaded, named pName or after the
    // file. RenderFile is not offered (E_NOTIMPL); SetLogFile, Abort and
    // ShouldOperationContinue succeed and do nothing.
    STDMETHODIMP Connect(IPin* ppinOut, IPin* ppinIn) override;
    STDMETHODIMP Render(IPin* ppinOut) override;
    STDMETHODIMP RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override;
    STDMETHODIMP AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName, IBaseFilter** ppFilter) override;
    STDMETHODIMP SetLogFile(DWORD_PTR hFile) override;
    STDMETHODIMP Abort() override;
    STDMETHODIMP ShouldOperationContinue() override;

    // IMediaEventSink: records and queues the event; may be called from any
    // thread.
    STDMETHODIMP Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

    // IDispatch: no type information (E_NOTIMPL throughout).
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IMediaControl and IMediaFilter. Pause, and Run from stopped, start a
    // new run (completion and the sink count reset); Run from stopped pauses
    // every filter first. A filter's failure stops every filter again and is
    // returned. Stop tells every filter and returns the first failure.
    // StopWhenReady pauses, then stops. The state changes complete at once:
    // GetState answers S_OK with the graph's state. RenderFile,
    // AddSourceFilter and the collections are not offered (E_NOTIMPL).
    [[nodiscard]] STDMETHODIMP Run() override;
    [[nodiscard]] STDMETHODIMP Pause() override;
    [[nodiscard]] STDMETHODIMP Stop() override;
    STDMETHODIMP GetState(LONG msTimeout, OAFilterState* pfs) override;
    STDMETHODIMP RenderFile(BSTR strFilename) override;
    STDMETHODIMP AddSourceFilter(BSTR strFilename, IDispatch** ppUnk) override;
    STDMETHODIMP get_FilterCollection(IDispatch** ppUnk) override;
    STDMETHODIMP get_RegFilterCollection(IDispatch** ppUnk) override;
    STDMETHODIMP StopWhenReady() override;

    // IMediaEvent and IMediaEventEx. The queue holds every event a filter
    // notifies, oldest first, except that by default the sinks' EC_COMPLETE
    // become one EC_COMPLETE (S_OK, 0) once every sink has sent it
    // (CancelDefaultHandling(EC_COMPLETE) queues each as sent). GetEvent
    // takes the oldest, waiting up to msTimeout (INFINITE: -1); E_ABORT when
    // none came. The event handle is a manual-reset event, signalled while
    // the queue is not empty. WaitForCompletion waits until the run has
    // ended: every sink sent EC_COMPLETE (then *pEvCode is EC_COMPLETE) or a
    // filter reported EC_ERRORABORT, EC_ERRORABORTEX, EC_USERABORT or
    // EC_STREAM_ERROR_STOPPED (that code); E_ABORT with *pEvCode 0 after
    // msTimeout. There are no windows: SetNotifyWindow does nothing.
    STDMETHODIMP GetEventHandle(OAEVENT* hEvent) override;
    STDMETHODIMP GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) override;
    [[nodiscard]] STDMETHODIMP WaitForCompletion(LONG msTimeout, LONG* pEvCode) override;
    STDMETHODIMP CancelDefaultHandling(LONG lEvCode) override;
    STDMETHODIMP RestoreDefaultHandling(LONG lEvCode) override;
    STDMETHODIMP FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;
    STDMETHODIMP SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) override;
    STDMETHODIMP SetNotifyFlags(LONG lNoNotifyFlags) override;
    STDMETHODIMP GetNotifyFlags(LONG* lplNoNotifyFlags) override;

    // IMediaFilter (Stop and Pause above). Run(tStart) is Run(); the clock
    // set is handed to every filter (null: none), and the change is
    // notified as EC_CLOCK_CHANGED, as the platform's graph does.
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;

    // IMediaSeeking, in TIME_FORMAT_MEDIA_TIME only. GetDuration asks every
    // connected output pin that offers IMediaSeeking and supports media
    // time, and answers the longest duration (100-ns units); E_NOTIMPL when
    // no pin answers. Positions, rates and capabilities are not offered
    // (E_NOTIMPL).
    STDMETHODIMP GetCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override;
    STDMETHODIMP QueryPreferredFormat(GUID* pFormat) override;
    STDMETHODIMP GetTimeFormat(GUID* pFormat) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP SetTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* pStop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* pCurrent) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                   const GUID* pSourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
    STDMETHODIMP GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    STDMETHODIMP SetRate(double dRate) override;
    STDMETHODIMP GetRate(double* pdRate) override;
    STDMETHODIMP GetPreroll(LONGLONG* pllPreroll) override;

    // The graph's state.
    FILTER_STATE State();

    // Every event notified so far, oldest first, whether queued or not.
    std::vector<GraphEvent> Events() const;
    size_t CountEvents(LONG code) const;
    void ClearEvents();

    // Stops the graph, disconnects every pin, and releases every filter.
    void Clear();

private:
    struct Entry
    {
        ComPtr<IBaseFilter> filter;
        std::wstring name;
    };

    CFilterGraph(HRESULT* phr);
    ~CFilterGraph() override;

    // Require m_lock.
    bool Contains(IBaseFilter* filter) const;
    bool IsNameUsed(const std::wstring& name) const;
    std::vector<IBaseFilter*> DownstreamFirst() const;
    std::vector<LONG_PTR> Sinks() const;
    void StartRun();
    HRESULT StopAll();
    // Applies change to every filter, downstream first; on a failure stops
    // them all and returns it.
    template <class Change>
    HRESULT ChangeEveryFilter(Change change);

    // Requires m_eventLock.
    void Queue(LONG code, LONG_PTR param1, LONG_PTR param2);

    CCritSec m_lock; // guards the members up to m_eventLock
    std::vector<Entry> m_filters;
    FILTER_STATE m_state = State_Stopped;
    ULONG m_namesMade = 0;
    ComPtr<IReferenceClock> m_clock;

    mutable CCritSec m_eventLock; // guards the members below, not the handles' own state
    std::vector<GraphEvent> m_events;       // every event notified
    std::deque<GraphEvent> m_queue;         // those for the application, not yet taken
    std::vector<LONG_PTR> m_sinks;          // this run's sinks (IBaseFilter*)
    std::vector<LONG_PTR> m_completedSinks; // those that sent EC_COMPLETE
    LONG m_endCode = 0;        // the event that ended this run, 0 while it goes on
    bool m_completeByDefault = true; // EC_COMPLETE handled by the graph
    LONG m_notifyFlags = 0;
    CHandle m_queued; // manual-reset, signalled while m_queue is not empty
    CHandle m_ended;  // manual-reset, signalled while m_endCode is not 0
};
