// The native graph as an application sees it, through its COM interfaces:
// the event queue (IMediaEventEx), state changes (IMediaControl), the clock
// (IMediaFilter), the duration (IMediaSeeking), IGraphBuilder, and the
// runtime's classes made by CoCreateInstance.
#include <gtest/gtest.h>

#include <thread>

#include "framework/ComPtr.h"
#include "tests/support/ComScope.h"
#include "tests/support/GraphTest.h"
#include "tests/support/TempFile.h"
#include "tests/support/TestFilters.h"
#include "tools/sink/SinkFilter.h"

namespace {

template <class Interface>
ComPtr<Interface> Query(IUnknown* object, REFIID riid)
{
    ComPtr<Interface> result;
    EXPECT_EQ(object->QueryInterface(riid, reinterpret_cast<void**>(result.ReleaseAndGetAddressOf())), S_OK);
    return result;
}

class GraphInterfacesTest : public LinkedFiltersTest
{
protected:
    // The next queued event, or code 0 when none came within msTimeout.
    GraphEvent Next(IMediaEvent* events, LONG msTimeout = 0)
    {
        GraphEvent event{-1, -1, -1};
        const HRESULT hr = events->GetEvent(&event.code, &event.param1, &event.param2, msTimeout);
        EXPECT_EQ(hr, event.code != 0 ? S_OK : E_ABORT);
        EXPECT_EQ(events->FreeEventParams(event.code, event.param1, event.param2), S_OK);
        return event;
    }

};

TEST_F(GraphInterfacesTest, GetEventHandsOutEventsInOrderAndTimesOut)
{
    CTestFilter* source = Add(L"Source", false, true);
    const ComPtr<IMediaEventEx> events = Query<IMediaEventEx>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaEventEx);
    OAEVENT handle = 0;
    ASSERT_EQ(events->GetEventHandle(&handle), S_OK);
    const HANDLE queued = reinterpret_cast<HANDLE>(handle);

    for (const LONG timeout : {0, 20})
    {
        const GraphEvent none = Next(events.Get(), timeout);
        EXPECT_EQ(none.code, 0) << timeout;
        EXPECT_EQ(none.param1, 0) << timeout;
    }
    EXPECT_EQ(WaitForSingleObject(queued, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // A failure travels sign-extended in its LONG_PTR.
    const GraphEvent sent[] = {
        {EC_STREAM_ERROR_STILLPLAYING, VFW_E_FILE_TOO_SHORT, 3},
        {EC_USER + 1, 0x7FFFFFFF, -1},
        {EC_ERRORABORT, E_FAIL, 0},
    };
    for (const GraphEvent& event : sent)
        ASSERT_EQ(source->NotifyEvent(event.code, event.param1, event.param2), S_OK);
    EXPECT_EQ(WaitForSingleObject(queued, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "signalled while events wait";
    for (const GraphEvent& event : sent)
    {
        const GraphEvent got = Next(events.Get());
        EXPECT_EQ(got.code, event.code);
        EXPECT_EQ(got.param1, event.param1) << got.code;
        EXPECT_EQ(got.param2, event.param2) << got.code;
    }
    EXPECT_LT(sent[2].param1, 0);
    EXPECT_EQ(WaitForSingleObject(queued, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "reset once drained";
    EXPECT_EQ(Next(events.Get()).code, 0);

    // A caller waiting without end gets the event notified meanwhile.
    GraphEvent waited{};
    std::thread waiter([&] { waited = Next(events.Get(), -1); });
    ASSERT_EQ(source->NotifyEvent(EC_USER + 2, 5, 6), S_OK);
    waiter.join();
    EXPECT_EQ(waited.code, EC_USER + 2);
    EXPECT_EQ(waited.param1, 5);

    // Turned off, nothing is queued.
    EXPECT_EQ(events->SetNotifyFlags(2), E_INVALIDARG);
    ASSERT_EQ(events->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY), S_OK);
    ASSERT_EQ(source->NotifyEvent(EC_USER + 3, 0, 0), S_OK);
    EXPECT_EQ(Next(events.Get()).code, 0);
    LONG flags = 0;
    ASSERT_EQ(events->GetNotifyFlags(&flags), S_OK);
    EXPECT_EQ(flags, AM_MEDIAEVENT_NONOTIFY);
    EXPECT_EQ(events->SetNotifyWindow(0, 0, 0), S_OK);
}

TEST_F(GraphInterfacesTest, SinksCompleteAsOneEventUnlessTheApplicationHandlesThem)
{
    struct Case
    {
        const char* what;
        bool cancelDefault;
        size_t queuedAfterFirst; // EC_COMPLETE events queued after the first sink's
        LONG_PTR lastParam2;     // of the last one queued: 0 for the graph's own
    };
    const Case cases[] = {
        {"default handling", false, 0, 0},
        {"cancelled", true, 1, 1},
    };
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* second = Add(L"Second source", false, true);
    CTestFilter* sinkA = Add(L"Sink A", true, false);
    CTestFilter* sinkB = Add(L"Sink B", true, true);
    sinkB->miscFlags = AM_FILTER_MISC_FLAGS_IS_RENDERER; // a renderer by its word, output pin or not
    // Takes input only, but says it renders nothing: never waited for.
    CTestFilter* notRenderer = Add(L"Not a renderer", true, false);
    notRenderer->miscFlags = 0;
    ASSERT_EQ(Link(source, sinkA), S_OK);
    ASSERT_EQ(Link(second, sinkB), S_OK);
    ASSERT_EQ(Link(Add(L"Third source", false, true), notRenderer), S_OK);
    const ComPtr<IMediaEventEx> events = Query<IMediaEventEx>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaEventEx);
    const ComPtr<IMediaControl> control = Query<IMediaControl>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaControl);
    EXPECT_EQ(events->CancelDefaultHandling(EC_PAUSED), E_INVALIDARG);
    for (const Case& c : cases)
    {
        ASSERT_EQ(c.cancelDefault ? events->CancelDefaultHandling(EC_COMPLETE)
                                  : events->RestoreDefaultHandling(EC_COMPLETE),
                  S_OK);
        ASSERT_EQ(control->Run(), S_OK);
        ASSERT_EQ(sinkA->NotifyEvent(EC_COMPLETE, S_OK, 0), S_OK);
        size_t queued = 0;
        for (GraphEvent event = Next(events.Get()); event.code != 0; event = Next(events.Get()))
            queued += event.code == EC_COMPLETE;
        EXPECT_EQ(queued, c.queuedAfterFirst) << c.what;
        ASSERT_EQ(sinkB->NotifyEvent(EC_COMPLETE, S_OK, 0), S_OK);
        const GraphEvent last = Next(events.Get());
        EXPECT_EQ(last.code, EC_COMPLETE) << c.what;
        EXPECT_EQ(last.param1, S_OK) << c.what;
        EXPECT_EQ(last.param2 != 0, c.lastParam2 != 0) << c.what;
        EXPECT_EQ(Next(events.Get()).code, 0) << c.what;
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(0, &code), S_OK) << c.what;
        EXPECT_EQ(code, EC_COMPLETE) << c.what;
        ASSERT_EQ(control->Stop(), S_OK);
    }
}

TEST_F(GraphInterfacesTest, RunFromStoppedPausesFirst)
{
    struct Case
    {
        const char* what;
        FILTER_STATE from;
        HRESULT (*call)(IMediaControl*);
        std::vector<std::wstring> calls; // the source's, after reaching from
        OAFilterState to;
    };
    const Case cases[] = {
        {"run from stopped", State_Stopped, [](IMediaControl* c) { return c->Run(); },
         {L"Source Pause", L"Source Run"}, State_Running},
        {"run from paused", State_Paused, [](IMediaControl* c) { return c->Run(); }, {L"Source Run"}, State_Running},
        {"pause from running", State_Running, [](IMediaControl* c) { return c->Pause(); }, {L"Source Pause"},
         State_Paused},
        {"stop when ready", State_Stopped, [](IMediaControl* c) { return c->StopWhenReady(); },
         {L"Source Pause", L"Source Stop"}, State_Stopped},
    };
    Add(L"Source", false, false);
    const ComPtr<IMediaControl> control = Query<IMediaControl>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaControl);
    const ComPtr<IMediaFilter> filter = Query<IMediaFilter>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaFilter);
    for (const Case& c : cases)
    {
        ASSERT_EQ(control->Stop(), S_OK);
        if (c.from != State_Stopped)
        {
            ASSERT_EQ(c.from == State_Running ? control->Run() : control->Pause(), S_OK);
        }
        const size_t before = m_log.Calls().size();
        ASSERT_EQ(c.call(control.Get()), S_OK) << c.what;
        const std::vector<std::wstring> calls = m_log.Calls();
        EXPECT_EQ(std::vector<std::wstring>(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end()), c.calls)
            << c.what;
        OAFilterState state = -1;
        ASSERT_EQ(control->GetState(0, &state), S_OK);
        EXPECT_EQ(state, c.to) << c.what;
        FILTER_STATE filterState = State_Stopped;
        ASSERT_EQ(filter->GetState(0, &filterState), S_OK);
        EXPECT_EQ(filterState, c.to) << c.what;
    }
    // What the native graph does not offer.
    EXPECT_EQ(control->RenderFile(nullptr), E_NOTIMPL);
    UINT count = 0;
    EXPECT_EQ(control->GetTypeInfoCount(&count), E_NOTIMPL);
}

TEST_F(GraphInterfacesTest, SetSyncSourceNullUnclocksEveryFilterAndIsNotified)
{
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* sink = Add(L"Sink", true, false);
    ASSERT_EQ(Link(source, sink), S_OK);
    const ComPtr<IMediaFilter> filter = Query<IMediaFilter>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaFilter);
    const ComPtr<IMediaEventEx> events = Query<IMediaEventEx>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaEventEx);
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_FilterGraph);

    ASSERT_EQ(filter->SetSyncSource(nullptr), S_OK);
    for (IMediaFilter* member : {filter.Get(), static_cast<IMediaFilter*>(source), static_cast<IMediaFilter*>(sink)})
    {
        IReferenceClock* clock = reinterpret_cast<IReferenceClock*>(&clsid); // must come back null
        ASSERT_EQ(member->GetSyncSource(&clock), S_OK);
        EXPECT_EQ(clock, nullptr);
    }
    EXPECT_EQ(Next(events.Get()).code, EC_CLOCK_CHANGED);

    // Unclocked, a run still ends when the sink completes.
    ASSERT_EQ(m_graph->Run(), S_OK);
    ASSERT_EQ(sink->NotifyEvent(EC_COMPLETE, S_OK, 0), S_OK);
    EXPECT_EQ(Next(events.Get()).code, EC_COMPLETE);
}

TEST_F(GraphInterfacesTest, DurationIsTheLongestOfTheConnectedPinsThatAnswer)
{
    struct PinSetup
    {
        bool connected;
        bool mediaTime;
        LONGLONG duration;
        HRESULT result;
    };
    struct Case
    {
        const char* what;
        std::vector<PinSetup> pins;
        HRESULT expected;
        LONGLONG duration;
    };
    const Case cases[] = {
        {"no pin", {}, E_NOTIMPL, 0},
        {"one pin", {{true, true, 50000000, S_OK}}, S_OK, 50000000},
        {"the longest", {{true, true, 50000000, S_OK}, {true, true, 70000000, S_OK}}, S_OK, 70000000},
        {"unconnected pins are not asked", {{false, true, 90000000, S_OK}, {true, true, 30000000, S_OK}}, S_OK,
         30000000},
        {"only media time counts", {{true, false, 90000000, S_OK}, {true, true, 30000000, S_OK}}, S_OK, 30000000},
        {"a failure is passed over", {{true, true, 90000000, E_FAIL}, {true, true, 20000000, S_OK}}, S_OK, 20000000},
        {"nobody answers", {{true, true, 90000000, E_FAIL}, {false, true, 10, S_OK}}, E_NOTIMPL, 0},
    };
    const ComPtr<IMediaSeeking> seeking = Query<IMediaSeeking>(static_cast<IGraphBuilder*>(m_graph), IID_IMediaSeeking);
    EXPECT_EQ(seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME), S_OK);
    EXPECT_EQ(seeking->IsFormatSupported(&TIME_FORMAT_FRAME), S_FALSE);
    int made = 0;
    for (const Case& c : cases)
    {
        std::vector<CTestFilter*> filters;
        std::vector<CSeekingPin*> pins;
        for (const PinSetup& setup : c.pins)
        {
            const std::wstring n = std::to_wstring(++made);
            CTestFilter* source = Add(L"Source " + n, false, true);
            CTestFilter* sink = Add(L"Sink " + n, true, false);
            CSeekingPin* pin = m_outputs.at(source);
            pin->mediaTime = setup.mediaTime;
            pin->duration = setup.duration;
            pin->durationResult = setup.result;
            if (setup.connected)
            {
                ASSERT_EQ(Link(source, sink), S_OK);
            }
            filters.insert(filters.end(), {source, sink});
            pins.push_back(pin);
        }
        LONGLONG duration = -1;
        EXPECT_EQ(seeking->GetDuration(&duration), c.expected) << c.what;
        if (c.expected == S_OK)
        {
            EXPECT_EQ(duration, c.duration) << c.what;
        }
        for (size_t i = 0; i < pins.size(); ++i)
            EXPECT_EQ(pins[i]->durationCalls, c.pins[i].connected && c.pins[i].mediaTime ? 1 : 0) << c.what << i;
        for (CTestFilter* filter : filters)
            ASSERT_EQ(m_graph->RemoveFilter(filter), S_OK);
    }
}

TEST(RuntimeClassesTest, CoCreateInstanceMakesTheGraphTheFileSourceAndTheAllocator)
{
    const LONG objects = CBaseObject::ObjectsActive();
    const CComScope com;
    struct Case
    {
        const char* what;
        const CLSID* clsid;
        const IID* iid;
    };
    const Case cases[] = {
        {"graph builder", &CLSID_FilterGraph, &IID_IGraphBuilder},
        {"graph control", &CLSID_FilterGraph, &IID_IMediaControl},
        {"graph events", &CLSID_FilterGraph, &IID_IMediaEventEx},
        {"file source", &CLSID_AsyncReader, &IID_IBaseFilter},
        {"file source loader", &CLSID_AsyncReader, &IID_IFileSourceFilter},
        {"allocator", &CLSID_MemoryAllocator, &IID_IMemAllocator},
    };
    for (const Case& c : cases)
    {
        ComPtr<IUnknown> object;
        ASSERT_EQ(CoCreateInstance(*c.clsid, nullptr, CLSCTX_INPROC_SERVER, *c.iid,
                                   reinterpret_cast<void**>(object.ReleaseAndGetAddressOf())),
                  S_OK)
            << c.what;
        ASSERT_TRUE(object) << c.what;
        ComPtr<IUnknown> again;
        EXPECT_EQ(object->QueryInterface(*c.iid, reinterpret_cast<void**>(again.ReleaseAndGetAddressOf())), S_OK)
            << c.what;
        EXPECT_EQ(again.Get(), object.Get()) << c.what;

        IUnknown* aggregated = reinterpret_cast<IUnknown*>(&object); // must come back null
        EXPECT_EQ(CoCreateInstance(*c.clsid, object.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&aggregated)),
                  CLASS_E_NOAGGREGATION)
            << c.what;
        EXPECT_EQ(aggregated, nullptr) << c.what;
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects) << "an object was leaked";
}

TEST(RuntimeClassesTest, FileSourceLoadsThroughIFileSourceFilter)
{
    const LONG objects = CBaseObject::ObjectsActive();
    {
        const CComScope com;
        const TempFile file({'m', 'o', 'v', 'i', 'e'});
        const std::wstring widePath = file.WidePath();
        struct Case
        {
            const char* what;
            std::wstring file;
            HRESULT load;
            HRESULT current; // GetCurFile afterwards
        };
        const Case cases[] = {
            {"missing file", L"/nonexistent/graph_interfaces.mov", HRESULT(0x80070002), E_FAIL},
            {"a file", widePath, S_OK, S_OK},
        };
        for (const Case& c : cases)
        {
            ComPtr<IFileSourceFilter> source;
            ASSERT_EQ(CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSourceFilter,
                                       reinterpret_cast<void**>(source.ReleaseAndGetAddressOf())),
                      S_OK);
            EXPECT_EQ(source->Load(c.file.c_str(), nullptr), c.load) << c.what;
            LPOLESTR name = nullptr;
            EXPECT_EQ(source->GetCurFile(&name, nullptr), c.current) << c.what;
            EXPECT_EQ(name ? std::wstring(name) : std::wstring(), SUCCEEDED(c.current) ? c.file : std::wstring())
                << c.what;
            CoTaskMemFree(name);
        }

        // The graph builder's own way to the same source.
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(graph.ReleaseAndGetAddressOf())),
                  S_OK);
        ComPtr<IBaseFilter> added;
        EXPECT_EQ(graph->AddSourceFilter(L"/nonexistent/graph_interfaces.mov", nullptr, added.ReleaseAndGetAddressOf()),
                  HRESULT(0x80070002));
        EXPECT_FALSE(added);
        ASSERT_EQ(graph->AddSourceFilter(widePath.c_str(), L"Source", added.ReleaseAndGetAddressOf()), S_OK);
        ComPtr<IBaseFilter> found;
        ASSERT_EQ(graph->FindFilterByName(L"Source", found.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(found.Get(), added.Get());
        ComPtr<IEnumPins> pins;
        ASSERT_EQ(added->EnumPins(pins.ReleaseAndGetAddressOf()), S_OK);
        ComPtr<IPin> output;
        ASSERT_EQ(pins->Next(1, output.ReleaseAndGetAddressOf(), nullptr), S_OK);
        EXPECT_EQ(graph->Render(output.Get()), VFW_E_CANNOT_RENDER);
        EXPECT_EQ(graph->RenderFile(widePath.c_str(), nullptr), E_NOTIMPL);
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects) << "an object was leaked";
}

} // namespace

TEST_F(GraphInterfacesTest, TheRecordingSinkIsARendererThatAsksItsUpstreamPinToSeek)
{
    CSinkFilter* recorder = nullptr;
    ASSERT_EQ(CSinkFilter::Create(&recorder), S_OK);
    Own(recorder);
    ASSERT_EQ(m_graph->AddFilter(recorder, L"Recorder"), S_OK);
    EXPECT_EQ(Query<IAMFilterMiscFlags>(static_cast<IBaseFilter*>(recorder), IID_IAMFilterMiscFlags)->GetMiscFlags(),
              static_cast<ULONG>(AM_FILTER_MISC_FLAGS_IS_RENDERER));
    const ComPtr<IMediaSeeking> seeking = Query<IMediaSeeking>(static_cast<IBaseFilter*>(recorder), IID_IMediaSeeking);
    LONGLONG duration = -1;
    EXPECT_EQ(seeking->GetDuration(&duration), E_NOTIMPL) << "unconnected";

    CSeekingPin* upstream = m_outputs.at(Add(L"Source", false, true));
    ASSERT_EQ(m_graph->ConnectDirect(upstream, recorder->Input(), nullptr), S_OK);
    upstream->duration = 40000000;
    EXPECT_EQ(seeking->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, 40000000);
    upstream->durationResult = E_FAIL;
    EXPECT_EQ(seeking->GetDuration(&duration), E_FAIL) << "the upstream pin's answer, as it is";
    EXPECT_EQ(seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME), S_OK);
    EXPECT_EQ(seeking->SetRate(2.0), E_NOTIMPL);
    EXPECT_EQ(upstream->durationCalls, 2);
}
