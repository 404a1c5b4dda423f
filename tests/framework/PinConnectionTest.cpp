// The connection handshake of CBasePin: which types are tried in which
// order, what each refusal returns, and that a failed attempt leaves both
// pins unconnected with every reference given back.
#include <gtest/gtest.h>

#include "tests/support/TestFilters.h"

namespace {

const GUID& SubA = MEDIASUBTYPE_dvsd;
const GUID& SubB = MEDIASUBTYPE_dvhd;
const GUID& SubC = MEDIASUBTYPE_dvsl;

class PinConnectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_objects = CBaseObject::ObjectsActive();
        m_up = CTestFilter::Create(L"Up");
        m_down = CTestFilter::Create(L"Down");
        m_out = m_up->AddPin<CTestPin>(L"Out", PINDIR_OUTPUT);
        m_in = m_down->AddPin<CTestPin>(L"In", PINDIR_INPUT);
    }
    void TearDown() override
    {
        (void)m_out->Disconnect();
        (void)m_in->Disconnect();
        EXPECT_EQ(m_up->RefCount(), 1u) << "a reference to the upstream filter was left";
        EXPECT_EQ(m_down->RefCount(), 1u) << "a reference to the downstream filter was left";
        m_up->Release();
        m_down->Release();
        EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects);
    }
    void ExpectUnconnected()
    {
        EXPECT_FALSE(m_out->IsConnected());
        EXPECT_FALSE(m_in->IsConnected());
        EXPECT_EQ(m_up->RefCount(), 1u);
        EXPECT_EQ(m_down->RefCount(), 1u);
    }

    LONG m_objects = 0;
    CTestFilter* m_up = nullptr;
    CTestFilter* m_down = nullptr;
    CTestPin* m_out = nullptr;
    CTestPin* m_in = nullptr;
};

TEST_F(PinConnectionTest, FullySpecifiedTypeIsTheOnlyOneTried)
{
    m_out->offered = {MakeType(MEDIATYPE_Video, SubA)};
    m_in->offered = {MakeType(MEDIATYPE_Video, SubB)};
    const CMediaType wanted = MakeType(MEDIATYPE_Video, SubC);

    ASSERT_EQ(m_out->Connect(m_in, &wanted), S_OK);
    EXPECT_EQ(m_out->checked, std::vector<GUID>{SubC});
    EXPECT_EQ(m_in->checked, std::vector<GUID>{SubC});
    EXPECT_TRUE(m_out->ConnectionType() == wanted);
    EXPECT_TRUE(m_in->ConnectionType() == wanted);
    EXPECT_EQ(m_out->completeConnects + m_in->completeConnects, 2);
    IPin* peer = nullptr;
    ASSERT_EQ(m_in->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer, static_cast<IPin*>(m_out));
    peer->Release();

    EXPECT_EQ(m_out->Connect(m_in, &wanted), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(m_in->ReceiveConnection(m_out, &wanted), VFW_E_ALREADY_CONNECTED);
}

TEST_F(PinConnectionTest, ReceiverTypesComeFirstThenTheConnectorsOwn)
{
    m_out->offered = {MakeType(MEDIATYPE_Video, SubA), MakeType(MEDIATYPE_Video, SubB)};
    m_in->offered = {MakeType(MEDIATYPE_Video, SubC)};
    m_in->accepted = {SubB};

    ASSERT_EQ(m_out->Connect(m_in, nullptr), S_OK);
    // The receiver's own C (refused by itself), then the connector's A and B.
    EXPECT_EQ(m_in->checked, (std::vector<GUID>{SubC, SubA, SubB}));
    EXPECT_EQ(m_in->ConnectionType().subtype, SubB);
    // Each refused attempt was undone on both sides before the next.
    EXPECT_EQ(m_out->breakConnects, 2);
    EXPECT_EQ(m_in->breakConnects, 2);

    // A connector that says so has its own types tried first.
    ASSERT_EQ(m_out->Disconnect(), S_OK);
    ASSERT_EQ(m_in->Disconnect(), S_OK);
    m_in->checked.clear();
    m_out->TryMyTypesFirst();
    ASSERT_EQ(m_out->Connect(m_in, nullptr), S_OK);
    EXPECT_EQ(m_in->checked, (std::vector<GUID>{SubA, SubB}));
}

TEST_F(PinConnectionTest, PartialTypeNarrowsTheSearch)
{
    m_out->offered = {MakeType(MEDIATYPE_Audio, SubA), MakeType(MEDIATYPE_Video, SubA),
                      MakeType(MEDIATYPE_Video, SubB)};
    CMediaType partial(&MEDIATYPE_Video);
    partial.SetSubtype(&SubB);

    ASSERT_EQ(m_out->Connect(m_in, &partial), S_OK);
    EXPECT_EQ(m_in->checked, std::vector<GUID>{SubB});
}

TEST_F(PinConnectionTest, RefusalsAndTheCodesTheyGive)
{
    m_out->offered = {MakeType(MEDIATYPE_Video, SubA)};
    m_in->accepted = {SubB};
    const CMediaType typeA = MakeType(MEDIATYPE_Video, SubA);

    // S_FALSE, E_FAIL and E_INVALIDARG say nothing specific.
    EXPECT_EQ(m_out->Connect(m_in, &typeA), VFW_E_TYPE_NOT_ACCEPTED);
    m_in->refusal = E_INVALIDARG;
    EXPECT_EQ(m_out->Connect(m_in, &typeA), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(m_out->Connect(m_in, nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
    ExpectUnconnected();

    // A specific code survives the search.
    m_in->refusal = VFW_E_INVALIDMEDIATYPE;
    EXPECT_EQ(m_out->Connect(m_in, nullptr), VFW_E_INVALIDMEDIATYPE);
    ExpectUnconnected();

    // Nothing offered on either side.
    m_out->offered.clear();
    EXPECT_EQ(m_out->Connect(m_in, nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, ARefusalInCheckConnectOrCompleteConnectOnEitherSideUndoesBoth)
{
    struct Case
    {
        const char* what;
        HRESULT CTestPin::*answer;
        bool downstream; // the receiving pin refuses, else the connecting one
        HRESULT refusal;
    };
    const Case cases[] = {
        {"receiver's CheckConnect", &CTestPin::checkConnectResult, true, VFW_E_NO_TRANSPORT},
        {"connector's CheckConnect", &CTestPin::checkConnectResult, false, VFW_E_NO_TRANSPORT},
        {"receiver's CompleteConnect", &CTestPin::completeConnectResult, true, VFW_E_NO_ALLOCATOR},
        {"connector's CompleteConnect", &CTestPin::completeConnectResult, false, VFW_E_NO_ALLOCATOR},
    };
    const CMediaType type = MakeType(MEDIATYPE_Video, SubA);
    for (const Case& c : cases)
    {
        CTestPin* refuser = c.downstream ? m_in : m_out;
        m_in->checked.clear();
        m_in->completeConnects = m_in->breakConnects = 0;
        refuser->*c.answer = c.refusal;
        EXPECT_EQ(m_out->Connect(m_in, &type), c.refusal) << c.what;
        ExpectUnconnected();
        if (c.answer == &CTestPin::checkConnectResult)
        {
            // The receiver is asked for nothing once the connector refuses.
            EXPECT_TRUE(c.downstream || m_in->checked.empty()) << c.what;
            EXPECT_EQ(m_in->breakConnects >= 1, c.downstream) << c.what;
        }
        else
        {
            // The receiver had completed, and was told to disconnect again.
            EXPECT_EQ(m_in->completeConnects, 1) << c.what;
        }
        refuser->*c.answer = S_OK;
    }

    // Two output pins.
    CTestPin* other = m_down->AddPin<CTestPin>(L"Other", PINDIR_OUTPUT);
    EXPECT_EQ(m_out->Connect(other, &type), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(other->ReceiveConnection(m_out, &type), VFW_E_INVALID_DIRECTION);
    ExpectUnconnected();
    EXPECT_EQ(m_out->Connect(m_in, &type), S_OK);
}

TEST_F(PinConnectionTest, ConnectingAndDisconnectingNeedAStoppedFilter)
{
    const CMediaType type = MakeType(MEDIATYPE_Video, SubA);
    ASSERT_EQ(m_up->Pause(), S_OK);
    EXPECT_EQ(m_out->Connect(m_in, &type), VFW_E_NOT_STOPPED);
    ASSERT_EQ(m_up->Stop(), S_OK);
    ASSERT_EQ(m_out->Connect(m_in, &type), S_OK);

    ASSERT_EQ(m_up->Run(0), S_OK);
    EXPECT_EQ(m_out->Disconnect(), VFW_E_NOT_STOPPED);
    EXPECT_TRUE(m_out->IsConnected());
    ASSERT_EQ(m_up->Stop(), S_OK);

    // One side at a time; a second Disconnect has nothing to do.
    EXPECT_EQ(m_out->Disconnect(), S_OK);
    EXPECT_FALSE(m_out->IsConnected());
    EXPECT_TRUE(m_in->IsConnected());
    EXPECT_EQ(m_out->Disconnect(), S_FALSE);
    EXPECT_EQ(m_in->Disconnect(), S_OK);
    ExpectUnconnected();
    IPin* peer = m_out;
    EXPECT_EQ(m_out->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(peer, nullptr);
}

TEST_F(PinConnectionTest, PinQueries)
{
    PIN_INFO info{};
    ASSERT_EQ(m_in->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, static_cast<IBaseFilter*>(m_down));
    EXPECT_EQ(m_down->RefCount(), 2u) << "QueryPinInfo hands out a filter reference";
    info.pFilter->Release();

    m_in->accepted = {SubA};
    m_in->refusal = E_FAIL;
    const CMediaType typeA = MakeType(MEDIATYPE_Video, SubA);
    const CMediaType typeB = MakeType(MEDIATYPE_Video, SubB);
    EXPECT_EQ(m_in->QueryAccept(&typeA), S_OK);
    EXPECT_EQ(m_in->QueryAccept(&typeB), S_FALSE) << "a failure must read as 'no', not as an error";

    // A pin's references are its filter's.
    IPin* pin = nullptr;
    ASSERT_EQ(m_up->FindPin(L"Out", &pin), S_OK);
    EXPECT_EQ(m_up->RefCount(), 2u);
    IQualityControl* quality = nullptr;
    ASSERT_EQ(pin->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&quality)), S_OK);
    EXPECT_EQ(m_up->RefCount(), 3u);
    quality->Release();
    pin->Release();
    EXPECT_EQ(m_up->FindPin(L"Nope", &pin), VFW_E_NOT_FOUND);
    EXPECT_EQ(pin, nullptr);
}

} // namespace
