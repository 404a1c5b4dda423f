// A push output pin streaming through the native graph into sinks:
// allocator negotiation, commit and decommit with the filter state, the
// samples as the sink recorded them, end of stream and EC_COMPLETE, and the
// test sink's switches (refusals, failures, S_FALSE, delays); the plain
// recording sink takes whatever comes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/ComPtr.h"
#include "tests/support/GraphTest.h"
#include "tests/support/TestFilters.h"
#include "tests/support/TestSinkFilter.h"

namespace {

class GraphRunTest : public GraphTest
{
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        m_source = Own(CTestFilter::Create(L"Source"));
        m_push = m_source->AddPin<CPushPin>(L"Out");
        ASSERT_EQ(m_graph->AddFilter(m_source, L"Source"), S_OK);
        m_sink = AddSink(L"Sink");
    }
    CTestSinkFilter* AddSink(const wchar_t* name)
    {
        CTestSinkFilter* sink = nullptr;
        EXPECT_EQ(CTestSinkFilter::Create(&sink), S_OK);
        EXPECT_EQ(m_graph->AddFilter(sink, name), S_OK);
        return Own(sink);
    }
    HRESULT Connect(CPushPin* out, CTestSinkFilter* sink, const AM_MEDIA_TYPE* pmt = nullptr)
    {
        return m_graph->ConnectDirect(out, sink->Input(), pmt);
    }
    void ExpectPushedStream(CTestSinkFilter* sink, LONG count)
    {
        const std::vector<SinkSampleRecord> samples = sink->Records().Samples();
        ASSERT_EQ(samples.size(), static_cast<size_t>(count));
        for (LONG i = 0; i < count; i++)
        {
            const SinkSampleRecord& s = samples[static_cast<size_t>(i)];
            std::vector<BYTE> bytes(static_cast<size_t>(PushedSize(i)));
            for (LONG k = 0; k < PushedSize(i); k++)
                bytes[static_cast<size_t>(k)] = PushedByte(i, k);
            EXPECT_EQ(s.hash, Fnv1a64(bytes.data(), bytes.size())) << "sample " << i;
            EXPECT_TRUE(s.hasStart && s.hasStop && s.hasMediaTime);
            EXPECT_EQ(s.start, PushedStart(i));
            EXPECT_EQ(s.stop, PushedStart(i + 1));
            EXPECT_EQ(s.mediaStart, i);
            EXPECT_EQ(s.syncPoint, i == 0);
        }
    }

    CTestFilter* m_source = nullptr;
    CPushPin* m_push = nullptr;
    CTestSinkFilter* m_sink = nullptr;
};

TEST_F(GraphRunTest, TheSinksAnswerDecidesHowFarEachRunGoesAndHowItEnds)
{
    struct Case
    {
        const char* what;
        LONG answerAfter; // samples taken before the sink answers otherwise; -1 never
        HRESULT answer;   // Receive's answer from then on, and the push pin's last result
        LONG code;        // the event that ends the run
        LONG taken;       // samples recorded
    };
    const Case cases[] = {
        {"every sample is taken", -1, S_OK, EC_COMPLETE, 8},
        {"a second run starts afresh", -1, S_OK, EC_COMPLETE, 8},
        {"a failure ends the stream", 3, VFW_E_RUNTIME_ERROR, EC_ERRORABORT, 3},
        {"S_FALSE stops delivery but not the stream", 2, S_FALSE, EC_COMPLETE, 2},
    };
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    for (const Case& c : cases)
    {
        const LONG calls = m_sink->Input()->ReceiveCalls(); // the switch counts every Receive so far
        m_sink->Input()->SetReceiveResultAfter(c.answerAfter < 0 ? -1 : calls + c.answerAfter, c.answer);
        m_sink->Records().Clear();
        m_graph->ClearEvents();
        ASSERT_EQ(m_graph->Run(), S_OK) << c.what;
        LONG code = 0;
        ASSERT_EQ(m_graph->WaitForCompletion(10000, &code), S_OK) << c.what;
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_EQ(m_push->pushResult.load(), c.answer) << c.what;
        ExpectPushedStream(m_sink, c.taken);
        EXPECT_EQ(m_sink->Input()->ReceiveCalls() - calls, c.taken + (c.answer != S_OK ? 1 : 0)) << c.what;
        EXPECT_EQ(m_sink->Records().EndOfStreamCount(), FAILED(c.answer) ? 0 : 1) << c.what;
        EXPECT_EQ(m_sink->Records().NewSegmentCount() + m_sink->Records().BeginFlushCount(), 0) << c.what;
        EXPECT_EQ(m_graph->CountEvents(EC_COMPLETE), c.code == EC_COMPLETE ? 1u : 0u) << c.what;
        const GraphEvent first = m_graph->Events().at(0);
        EXPECT_EQ(first.code, c.code) << c.what;
        EXPECT_EQ(first.param1, FAILED(c.answer) ? c.answer : S_OK) << c.what;
        if (c.code == EC_COMPLETE)
        {
            EXPECT_EQ(first.param2, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(m_sink))) << c.what;
        }
        ASSERT_EQ(m_graph->Stop(), S_OK);
    }
}

TEST_F(GraphRunTest, TheRecordingSinkTakesAnyTypeAndAllocatorAndNeverBlocks)
{
    CSinkFilter* recorder = nullptr;
    ASSERT_EQ(CSinkFilter::Create(&recorder), S_OK);
    Own(recorder);
    ASSERT_EQ(m_graph->AddFilter(recorder, L"Recorder"), S_OK);
    CSinkInputPin* in = recorder->Input();
    const CMediaType audio = MakeType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
    EXPECT_EQ(in->QueryAccept(&audio), S_OK);
    EXPECT_EQ(in->ReceiveCanBlock(), S_FALSE);
    ALLOCATOR_PROPERTIES props{};
    EXPECT_EQ(in->GetAllocatorRequirements(&props), E_NOTIMPL);
    ComPtr<IMemAllocator> offered;
    ASSERT_EQ(in->GetAllocator(offered.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(offered);
    ALLOCATOR_PROPERTIES odd{3, 1000, 8, 4};
    ASSERT_EQ(offered->SetProperties(&odd, &props), S_OK);
    EXPECT_EQ(std::memcmp(&props, &odd, sizeof props), 0) << "the offered allocator grants what is asked";

    ASSERT_EQ(m_graph->ConnectDirect(m_push, in, nullptr), S_OK);
    EXPECT_TRUE(in->GetNotifiedAllocator(&props, nullptr));
    EXPECT_EQ(props.cBuffers, m_push->request.cBuffers);
    ASSERT_EQ(m_graph->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(m_graph->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(recorder->Records().SampleCount(), 8);
    EXPECT_EQ(in->ReceiveCalls(), 8);
}

TEST_F(GraphRunTest, CompletionWaitsForEverySink)
{
    CPushPin* second = m_source->AddPin<CPushPin>(L"Out 2");
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    second->gate = gate;
    CTestSinkFilter* other = AddSink(L"Other");
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    ASSERT_EQ(Connect(second, other), S_OK);
    other->Input()->SetReceiveDelay(2);
    EXPECT_EQ(other->Input()->ReceiveCanBlock(), S_OK);

    ASSERT_EQ(m_graph->Run(), S_OK);
    ASSERT_TRUE(m_sink->Records().WaitForEndOfStream(1, 10000));
    LONG code = -1;
    EXPECT_EQ(m_graph->WaitForCompletion(20, &code), E_ABORT) << "one sink is still waiting for its stream";
    EXPECT_EQ(code, 0);

    ASSERT_TRUE(SetEvent(gate));
    ASSERT_EQ(m_graph->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    ExpectPushedStream(m_sink, 8);
    ExpectPushedStream(other, 8);
    EXPECT_EQ(m_graph->CountEvents(EC_COMPLETE), 2u);
    ASSERT_EQ(m_graph->Stop(), S_OK);
    CloseHandle(gate);
}

TEST_F(GraphRunTest, EndOfStreamWhilePausedCompletesOnRun)
{
    m_push->samplesToPush = 0;
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    ASSERT_EQ(m_graph->Pause(), S_OK);
    ASSERT_EQ(m_sink->Input()->EndOfStream(), S_OK);
    LONG code = 0;
    EXPECT_EQ(m_graph->WaitForCompletion(0, &code), E_ABORT) << "a paused sink reports nothing yet";
    EXPECT_EQ(m_sink->Input()->Receive(nullptr), E_POINTER);

    ASSERT_EQ(m_graph->Run(), S_OK);
    ASSERT_EQ(m_graph->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    ASSERT_TRUE(m_sink->Records().WaitForEndOfStream(2, 10000)); // the pin's own end too
    EXPECT_EQ(m_graph->CountEvents(EC_COMPLETE), 1u) << "once per run";
}

TEST_F(GraphRunTest, AllocatorIsCommittedOnlyWhileActive)
{
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    IMediaSample* sample = nullptr;
    EXPECT_EQ(m_push->GetDeliveryBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ASSERT_EQ(m_graph->Pause(), S_OK);
    ASSERT_EQ(m_push->GetDeliveryBuffer(&sample, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(m_sink->Input()->Receive(sample), S_OK) << "a paused sink takes samples";
    ASSERT_EQ(m_graph->Stop(), S_OK);
    EXPECT_EQ(m_sink->Input()->Receive(sample), VFW_E_WRONG_STATE);
    sample->Release();
    IMediaSample* late = nullptr;
    EXPECT_EQ(m_push->GetDeliveryBuffer(&late, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);

    ASSERT_EQ(m_graph->Disconnect(m_push), S_OK);
    EXPECT_EQ(m_push->Allocator(), nullptr);
    EXPECT_EQ(m_push->GetDeliveryBuffer(&sample, nullptr, nullptr, 0), E_NOINTERFACE);
    EXPECT_EQ(m_push->Deliver(nullptr), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(m_push->DeliverEndOfStream(), VFW_E_NOT_CONNECTED);
}

TEST_F(GraphRunTest, AllocatorNegotiationAndRefusals)
{
    const CMediaType type = m_push->type;

    // Downstream requirements reach DecideBufferSize.
    const ALLOCATOR_PROPERTIES needs{6, 8192, 16, 0};
    m_sink->Input()->DemandAllocatorProperties(&needs);
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    EXPECT_EQ(m_push->requirement.cbAlign, 16);
    EXPECT_EQ(m_push->actual.cBuffers, 6);
    ASSERT_EQ(m_graph->Disconnect(m_push), S_OK);
    ASSERT_EQ(m_graph->Disconnect(m_sink->Input()), S_OK);

    // A pin that insists on its own properties meets a sink that grants
    // more: its own allocator is tried next, which the sink refuses.
    const ALLOCATOR_PROPERTIES demand{16, 4096, 4, 0};
    m_push->strict = true;
    m_sink->Input()->DemandAllocatorProperties(&demand);
    EXPECT_EQ(Connect(m_push, m_sink, &type), E_FAIL);
    EXPECT_FALSE(m_sink->Input()->IsConnected());
    EXPECT_EQ(Connect(m_push, m_sink), VFW_E_NO_ACCEPTABLE_TYPES) << "E_FAIL is too general to report";

    // Without a demand the strict pin is content.
    m_sink->Input()->DemandAllocatorProperties(nullptr);
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    ASSERT_EQ(m_graph->Disconnect(m_push), S_OK);
    ASSERT_EQ(m_graph->Disconnect(m_sink->Input()), S_OK);

    // A sink that offers none gets the pin's own allocator.
    m_sink->Input()->SetOfferAllocator(false);
    ASSERT_EQ(Connect(m_push, m_sink), S_OK);
    EXPECT_TRUE(m_sink->Input()->GetNotifiedAllocator(nullptr, nullptr));
    ASSERT_EQ(m_graph->Disconnect(m_push), S_OK);
    ASSERT_EQ(m_graph->Disconnect(m_sink->Input()), S_OK);
    EXPECT_FALSE(m_sink->Input()->GetNotifiedAllocator(nullptr, nullptr));

    // A specific refusal survives the search for a type.
    m_sink->Input()->SetNotifyAllocatorResult(VFW_E_BADALIGN);
    EXPECT_EQ(Connect(m_push, m_sink), VFW_E_BADALIGN);
    EXPECT_FALSE(m_sink->Input()->IsConnected());

    // A type the sink does not accept.
    m_sink->Input()->SetNotifyAllocatorResult(S_OK);
    const CMediaType audio = MakeType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
    ASSERT_EQ(m_sink->Input()->SetAcceptedType(&audio), S_OK);
    EXPECT_EQ(Connect(m_push, m_sink, &type), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(m_sink->Input()->QueryAccept(&type), S_FALSE);
}

TEST_F(GraphRunTest, OutputPinNeedsAMemoryInputPin)
{
    CTestFilter* plain = Own(CTestFilter::Create(L"Plain"));
    CTestPin* in = plain->AddPin<CTestPin>(L"In", PINDIR_INPUT);
    ASSERT_EQ(m_graph->AddFilter(plain, nullptr), S_OK);
    EXPECT_EQ(m_graph->ConnectDirect(m_push, in, nullptr), E_NOINTERFACE);
    EXPECT_FALSE(m_push->IsConnected());
    EXPECT_EQ(m_push->EndOfStream(), E_UNEXPECTED) << "nothing arrives at an output pin";
}

} // namespace
