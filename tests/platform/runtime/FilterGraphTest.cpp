// The native filter graph: membership and names, which connections it
// allows, the order in which filters change state, recorded events and how
// a run ends.
#include <gtest/gtest.h>

#include "tests/support/GraphTest.h"
#include "tests/support/TestFilters.h"

namespace {

using FilterGraphTest = LinkedFiltersTest;

TEST_F(FilterGraphTest, NamesAreUniqueAndFiltersJoinTheGraph)
{
    CTestFilter* first = Add(L"Parser", false, false);
    EXPECT_EQ(first->Graph(), static_cast<IFilterGraph*>(m_graph));
    CTestFilter* second = Own(CTestFilter::Create());
    EXPECT_EQ(m_graph->AddFilter(second, L"Parser"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(m_graph->AddFilter(second, L"Again"), E_INVALIDARG) << "a filter joins once";
    CTestFilter* unnamed = Own(CTestFilter::Create());
    ASSERT_EQ(m_graph->AddFilter(unnamed, nullptr), S_OK);

    FILTER_INFO info{};
    ASSERT_EQ(second->QueryFilterInfo(&info), S_OK);
    EXPECT_STRNE(info.achName, L"Parser");
    info.pGraph->Release();
    IBaseFilter* found = nullptr;
    EXPECT_EQ(m_graph->FindFilterByName(L"Missing", &found), VFW_E_NOT_FOUND);

    ASSERT_EQ(m_graph->RemoveFilter(first), S_OK);
    EXPECT_EQ(m_graph->RemoveFilter(first), VFW_E_NOT_FOUND);
    EXPECT_EQ(first->RefCount(), 1u);
}

TEST_F(FilterGraphTest, ConnectionsOnlyBetweenItsOwnOutputsAndInputs)
{
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* sink = Add(L"Sink", true, false);
    CTestFilter* outsider = Own(CTestFilter::Create());
    CTestPin* stray = outsider->AddPin<CTestPin>(L"In", PINDIR_INPUT);

    EXPECT_EQ(m_graph->ConnectDirect(m_outputs.at(source), stray, nullptr), VFW_E_NOT_IN_GRAPH);
    EXPECT_EQ(m_graph->ConnectDirect(m_inputs.at(sink), m_outputs.at(source), nullptr), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(m_graph->ConnectDirect(nullptr, m_inputs.at(sink), nullptr), E_POINTER);
    ASSERT_EQ(Link(source, sink), S_OK);

    // Reconnect keeps the type and goes through the handshake again.
    m_inputs.at(sink)->completeConnects = 0;
    ASSERT_EQ(m_graph->Reconnect(m_inputs.at(sink)), S_OK);
    EXPECT_EQ(m_inputs.at(sink)->completeConnects, 1);
    EXPECT_EQ(m_inputs.at(sink)->ConnectionType().subtype, MEDIASUBTYPE_dvsd);

    // Removing a filter takes its connections with it, on both sides.
    ASSERT_EQ(m_graph->RemoveFilter(sink), S_OK);
    EXPECT_FALSE(m_outputs.at(source)->IsConnected());
    EXPECT_FALSE(m_inputs.at(sink)->IsConnected());
    EXPECT_EQ(m_graph->Reconnect(m_outputs.at(source)), VFW_E_NOT_CONNECTED);
}

TEST_F(FilterGraphTest, StateChangesGoDownstreamFirst)
{
    // Added in an order unlike the stream's: sink, source, middle.
    CTestFilter* sink = Add(L"Sink", true, false);
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* middle = Add(L"Middle", true, true);
    ASSERT_EQ(Link(source, middle), S_OK);
    ASSERT_EQ(Link(middle, sink), S_OK);

    ASSERT_EQ(m_graph->Run(), S_OK);
    ASSERT_EQ(m_graph->Stop(), S_OK);
    const std::vector<std::wstring> expected = {L"Sink Pause",  L"Middle Pause", L"Source Pause",
                                                L"Sink Run",    L"Middle Run",   L"Source Run",
                                                L"Sink Stop",   L"Middle Stop",  L"Source Stop"};
    EXPECT_EQ(m_log.Calls(), expected);
    EXPECT_EQ(sink->StateNow(), State_Stopped);
}

TEST_F(FilterGraphTest, AFailedPauseStopsEveryFilterAgain)
{
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* sink = Add(L"Sink", true, false);
    ASSERT_EQ(Link(source, sink), S_OK);
    source->pauseResult = VFW_E_NO_ALLOCATOR;
    EXPECT_EQ(m_graph->Run(), VFW_E_NO_ALLOCATOR);
    EXPECT_EQ(m_graph->State(), State_Stopped);
    EXPECT_EQ(sink->StateNow(), State_Stopped) << "the sink had paused and must be stopped again";
    EXPECT_EQ(m_inputs.at(sink)->inactives, 1);
}

TEST_F(FilterGraphTest, EventsAndTheEndOfARun)
{
    CTestFilter* source = Add(L"Source", false, true);
    CTestFilter* sink = Add(L"Sink", true, false);
    ASSERT_EQ(Link(source, sink), S_OK);
    ASSERT_EQ(m_graph->Run(), S_OK);

    LONG code = -1;
    EXPECT_EQ(m_graph->WaitForCompletion(10, &code), E_ABORT);
    EXPECT_EQ(code, 0);
    // EC_COMPLETE from a filter that is not a sink does not end the run.
    ASSERT_EQ(source->NotifyEvent(EC_COMPLETE, S_OK, 0), S_OK);
    EXPECT_EQ(m_graph->WaitForCompletion(0, &code), E_ABORT);
    ASSERT_EQ(source->NotifyEvent(EC_STREAM_ERROR_STOPPED, VFW_E_FILE_TOO_SHORT, 3), S_OK);
    ASSERT_EQ(m_graph->WaitForCompletion(INFINITE, &code), S_OK);
    EXPECT_EQ(code, EC_STREAM_ERROR_STOPPED);

    ASSERT_EQ(m_graph->Events().size(), 2u);
    EXPECT_EQ(m_graph->Events()[1].param1, VFW_E_FILE_TOO_SHORT);

    // A new run waits afresh; the record of events stays until cleared.
    ASSERT_EQ(m_graph->Stop(), S_OK);
    ASSERT_EQ(m_graph->Run(), S_OK);
    EXPECT_EQ(m_graph->WaitForCompletion(0, &code), E_ABORT);
    ASSERT_EQ(sink->NotifyEvent(EC_COMPLETE, S_OK, 0), S_OK);
    ASSERT_EQ(m_graph->WaitForCompletion(0, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(m_graph->CountEvents(EC_COMPLETE), 2u);
    m_graph->ClearEvents();
    EXPECT_TRUE(m_graph->Events().empty());
}

} // namespace
