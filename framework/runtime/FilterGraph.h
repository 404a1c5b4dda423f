// CFilterGraph: the native build's filter graph. It holds its filters,
// connects pins with the platform's handshake (ConnectDirect calls the output
// pin's Connect), changes the state of all filters together, and, as the
// filters' event sink, records every event and reports completion once every
// sink (a filter with a connected input pin and no output pins) has sent
// EC_COMPLETE.
//
// State changes go downstream first: sinks before the filters that feed
// them, sources last, so that no filter delivers into one not yet started
// or already stopped. There is no reference clock: filters run unclocked.
// Nothing here stops the graph by itself; after an error event the caller
// calls Stop, as an application does.
#pragma once

#include <dshow.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "framework/CCritSec.h"
#include "framework/CUnknown.h"
#include "framework/ComPtr.h"

struct GraphEvent
{
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

class CFilterGraph : public CUnknown, public IFilterGraph, public IMediaEventSink
{
public:
    // S_OK with *ppGraph holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CFilterGraph** ppGraph);

    DECLARE_IUNKNOWN
    // IFilterGraph and IMediaEventSink.
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

    // IMediaEventSink: records the event; may be called from any thread.
    STDMETHODIMP Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

    // Graph control. Pause and Run from stopped start a new run (completion
    // and the sink count reset); a filter's failure stops every filter again
    // and is returned. Stop tells every filter and returns the first failure.
    [[nodiscard]] HRESULT Pause();
    [[nodiscard]] HRESULT Run();
    [[nodiscard]] HRESULT Stop();
    FILTER_STATE State();

    // Waits until the run has ended: every sink sent EC_COMPLETE (then
    // *pEvCode is EC_COMPLETE) or a filter reported EC_ERRORABORT,
    // EC_ERRORABORTEX, EC_USERABORT or EC_STREAM_ERROR_STOPPED (that code).
    // S_OK when it has; E_ABORT with *pEvCode 0 after msTimeout (or INFINITE).
    [[nodiscard]] HRESULT WaitForCompletion(DWORD msTimeout, LONG* pEvCode);

    // Every event notified so far, oldest first.
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

    CFilterGraph();
    ~CFilterGraph() override;

    // Requires m_lock.
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

    CCritSec m_lock; // guards m_filters and m_state; never held by Notify
    std::vector<Entry> m_filters;
    FILTER_STATE m_state = State_Stopped;
    ULONG m_namesMade = 0;

    mutable std::mutex m_eventLock; // guards the members below
    std::condition_variable m_eventChanged;
    std::vector<GraphEvent> m_events;
    std::vector<LONG_PTR> m_sinks;          // this run's sinks (IBaseFilter*)
    std::vector<LONG_PTR> m_completedSinks; // those that sent EC_COMPLETE
    LONG m_endCode = 0; // the event that ended this run, 0 while it goes on
};
