// The fixture of tests that build a native graph. At teardown the graph is
// stopped and released (it lets go of its filters), every filter the test
// handed to Own() must then go with the test's reference, and no framework
// object may be left alive.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/CUnknown.h"
#include "platform/runtime/FilterGraph.h"
#include "tests/support/TestFilters.h"

class GraphTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(CFilterGraph::Create(&m_graph), S_OK); }
    void TearDown() override
    {
        EXPECT_EQ(m_graph->Stop(), S_OK);
        EXPECT_EQ(m_graph->Release(), 0u) << "a reference to the graph was left";
        for (IBaseFilter* filter : m_owned)
            EXPECT_EQ(filter->Release(), 0u) << "a reference to a filter was left";
        EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects) << "an object was leaked";
    }

    // Takes over the caller's reference to filter, released at teardown.
    template <class Filter>
    Filter* Own(Filter* filter)
    {
        m_owned.push_back(filter);
        return filter;
    }

    CFilterGraph* m_graph = nullptr;

private:
    const LONG m_objects = CBaseObject::ObjectsActive();
    std::vector<IBaseFilter*> m_owned;
};

// A graph of test filters, each with an input pin "In" and/or an output pin
// "Out" (a CSeekingPin offering one video type), their state changes logged.
class LinkedFiltersTest : public GraphTest
{
protected:
    CTestFilter* Add(const std::wstring& name, bool in, bool out)
    {
        CTestFilter* filter = Own(CTestFilter::Create(name));
        filter->log = &m_log;
        if (in)
            m_inputs[filter] = filter->AddPin<CTestPin>(L"In", PINDIR_INPUT);
        if (out)
            m_outputs[filter] = filter->AddPin<CSeekingPin>(L"Out");
        EXPECT_EQ(m_graph->AddFilter(filter, name.c_str()), S_OK);
        return filter;
    }
    HRESULT Link(CTestFilter* from, CTestFilter* to)
    {
        return m_graph->ConnectDirect(m_outputs.at(from), m_inputs.at(to), nullptr);
    }

    CallLog m_log;
    std::map<CTestFilter*, CTestPin*> m_inputs;
    std::map<CTestFilter*, CSeekingPin*> m_outputs;
};
