// CBaseFilter: state changes that activate only connected pins, the graph
// and event-sink pointers, and the pin and media-type enumerators.
#include <gtest/gtest.h>

#include "platform/runtime/FilterGraph.h"
#include "tests/support/TestFilters.h"

namespace {

class BaseFilterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_objects = CBaseObject::ObjectsActive();
        m_filter = CTestFilter::Create();
        m_peerFilter = CTestFilter::Create(L"Peer");
        m_connected = m_filter->AddPin<CTestPin>(L"Connected", PINDIR_OUTPUT);
        m_idle = m_filter->AddPin<CTestPin>(L"Idle", PINDIR_OUTPUT);
        m_peer = m_peerFilter->AddPin<CTestPin>(L"Peer", PINDIR_INPUT);
        m_peer->offered = {MakeType(MEDIATYPE_Video, MEDIASUBTYPE_dvsd)};
        ASSERT_EQ(m_connected->Connect(m_peer, nullptr), S_OK);
    }
    void TearDown() override
    {
        ASSERT_EQ(m_filter->Stop(), m_connected->inactiveResult);
        (void)m_connected->Disconnect();
        (void)m_peer->Disconnect();
        EXPECT_EQ(m_filter->Release(), 0u);
        EXPECT_EQ(m_peerFilter->Release(), 0u);
        EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects);
    }

    LONG m_objects = 0;
    CTestFilter* m_filter = nullptr;
    CTestFilter* m_peerFilter = nullptr;
    CTestPin* m_connected = nullptr;
    CTestPin* m_idle = nullptr;
    CTestPin* m_peer = nullptr;
};

TEST_F(BaseFilterTest, StateChangesReachOnlyConnectedPins)
{
    ASSERT_EQ(m_filter->Run(5000), S_OK); // pauses first
    EXPECT_EQ(m_connected->actives, 1);
    EXPECT_EQ(m_connected->runs, 1);
    EXPECT_EQ(m_idle->actives + m_idle->runs, 0);
    ASSERT_EQ(m_filter->Pause(), S_OK); // running to paused activates nothing again
    ASSERT_EQ(m_filter->Run(0), S_OK);
    EXPECT_EQ(m_connected->actives, 1);
    EXPECT_EQ(m_connected->runs, 2);

    ASSERT_EQ(m_filter->Stop(), S_OK);
    ASSERT_EQ(m_filter->Stop(), S_OK); // stopping twice deactivates once
    EXPECT_EQ(m_connected->inactives, 1);
    EXPECT_EQ(m_idle->inactives, 0);
}

TEST_F(BaseFilterTest, FailedActivationKeepsTheFilterStopped)
{
    m_connected->activeResult = VFW_E_NO_ALLOCATOR;
    EXPECT_EQ(m_filter->Run(0), VFW_E_NO_ALLOCATOR);
    EXPECT_EQ(m_filter->StateNow(), State_Stopped);
    EXPECT_EQ(m_connected->runs, 0);

    m_connected->activeResult = S_OK;
    ASSERT_EQ(m_filter->Pause(), S_OK);
    m_connected->inactiveResult = VFW_E_BUFFERS_OUTSTANDING;
    EXPECT_EQ(m_filter->Stop(), VFW_E_BUFFERS_OUTSTANDING) << "a failing pin is reported";
    EXPECT_EQ(m_filter->StateNow(), State_Stopped) << "and the filter stops all the same";
    m_connected->inactiveResult = S_OK;
}

TEST_F(BaseFilterTest, GraphAndEventSink)
{
    EXPECT_EQ(m_filter->NotifyEvent(EC_COMPLETE, S_OK, 0), E_NOTIMPL) << "no graph, nobody to tell";
    CFilterGraph* graph = nullptr;
    ASSERT_EQ(CFilterGraph::Create(&graph), S_OK);
    ASSERT_EQ(graph->AddFilter(m_filter, L"Named in graph"), S_OK);
    graph->AddRef();
    EXPECT_EQ(graph->Release(), 1u) << "the filter must not hold its graph";

    ASSERT_EQ(m_filter->NotifyEvent(EC_COMPLETE, S_OK, 1234), S_OK);
    ASSERT_EQ(m_filter->NotifyEvent(EC_STREAM_ERROR_STOPPED, E_FAIL, 7), S_OK);
    const std::vector<GraphEvent> events = graph->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].param2, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(m_filter)))
        << "EC_COMPLETE names the filter that sent it";
    EXPECT_EQ(events[1].param1, E_FAIL);

    FILTER_INFO info{};
    ASSERT_EQ(m_filter->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"Named in graph");
    EXPECT_EQ(info.pGraph, static_cast<IFilterGraph*>(graph));
    EXPECT_EQ(info.pGraph->Release(), 1u) << "QueryFilterInfo hands out a graph reference";

    // Leaving the graph (removal also takes the filter's connection).
    ASSERT_EQ(graph->RemoveFilter(m_filter), S_OK);
    EXPECT_EQ(m_filter->NotifyEvent(EC_COMPLETE, S_OK, 0), E_NOTIMPL);
    EXPECT_EQ(graph->Release(), 0u);
}

TEST_F(BaseFilterTest, PinEnumeratorFollowsThePinVersion)
{
    IEnumPins* pins = nullptr;
    ASSERT_EQ(m_filter->EnumPins(&pins), S_OK);
    IPin* got[3] = {};
    ULONG fetched = 9;
    EXPECT_EQ(pins->Next(2, got, nullptr), E_INVALIDARG);
    ASSERT_EQ(pins->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0], static_cast<IPin*>(m_connected));
    EXPECT_EQ(got[1], static_cast<IPin*>(m_idle));
    got[0]->Release();
    got[1]->Release();

    ASSERT_EQ(pins->Reset(), S_OK);
    EXPECT_EQ(pins->Skip(3), S_FALSE);
    ASSERT_EQ(pins->Skip(1), S_OK);
    IEnumPins* clone = nullptr;
    ASSERT_EQ(pins->Clone(&clone), S_OK);
    ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0], static_cast<IPin*>(m_idle)) << "the clone starts where the original was";
    got[0]->Release();

    m_filter->AddPin<CTestPin>(L"Late", PINDIR_INPUT);
    EXPECT_EQ(pins->Next(1, got, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    ASSERT_EQ(pins->Reset(), S_OK);
    ASSERT_EQ(pins->Skip(2), S_OK);
    ASSERT_EQ(pins->Next(1, got, nullptr), S_OK);
    EXPECT_STREQ(static_cast<CTestPin*>(got[0])->Name(), L"Late");
    got[0]->Release();
    clone->Release();
    pins->Release();
}

TEST_F(BaseFilterTest, MediaTypeEnumeratorHandsOutCopies)
{
    m_idle->offered = {MakeType(MEDIATYPE_Video, MEDIASUBTYPE_dvsd), MakeType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM)};
    ASSERT_TRUE(m_idle->offered[1].SetFormat(reinterpret_cast<const BYTE*>("wave"), 4));
    const ULONG refs = m_filter->RefCount(); // the connected peer holds one
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(m_idle->EnumMediaTypes(&types), S_OK);
    EXPECT_EQ(m_filter->RefCount(), refs + 1) << "the enumerator holds the pin";

    AM_MEDIA_TYPE* got[3] = {};
    ULONG fetched = 0;
    ASSERT_EQ(types->Skip(1), S_OK);
    ASSERT_EQ(types->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    ASSERT_EQ(got[0]->cbFormat, 4u);
    EXPECT_NE(got[0]->pbFormat, m_idle->offered[1].pbFormat);
    DeleteMediaType(got[0]);
    EXPECT_EQ(types->Skip(1), S_FALSE) << "past the last type";

    m_idle->IncrementTypeVersion();
    EXPECT_EQ(types->Next(1, got, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    ASSERT_EQ(types->Reset(), S_OK);
    ASSERT_EQ(types->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0]->majortype, MEDIATYPE_Video);
    DeleteMediaType(got[0]);
    types->Release();
    EXPECT_EQ(m_filter->RefCount(), refs);
}

} // namespace
