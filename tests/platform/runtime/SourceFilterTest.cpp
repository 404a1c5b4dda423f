// The native source filters: a file, bytes in memory, and bytes behind a
// fault-injecting reader, each handed downstream as IAsyncReader by the
// output pin, through the graph's connection handshake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/AsyncSourceFilter.h"
#include "platform/runtime/FileSourceFilter.h"
#include "tests/support/FaultInjectingReader.h"
#include "tests/support/GraphTest.h"
#include "tests/support/MemorySource.h"
#include "tests/support/TempFile.h"
#include "tests/support/TestFilters.h"

namespace {

std::vector<BYTE> Bytes(size_t count)
{
    std::vector<BYTE> data(count);
    for (size_t i = 0; i < count; i++)
        data[i] = static_cast<BYTE>(i * 7 + 3);
    return data;
}

// An input pin that, like a parser's, takes the upstream IAsyncReader in
// CheckConnect and refuses a peer without one.
class CReaderPin : public CTestPin
{
public:
    CReaderPin(CBaseFilter* filter, CCritSec* lock) : CTestPin(filter, lock, L"Input", PINDIR_INPUT) {}
    HRESULT CheckConnect(IPin* pin) override
    {
        const HRESULT hr = CTestPin::CheckConnect(pin);
        if (FAILED(hr))
            return hr;
        return pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(reader.ReleaseAndGetAddressOf()));
    }
    HRESULT BreakConnect() override
    {
        reader.Reset();
        return CTestPin::BreakConnect();
    }
    ComPtr<IAsyncReader> reader;
};

class SourceFilterTest : public GraphTest
{
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        m_parser = Own(CTestFilter::Create(L"Parser"));
        m_in = m_parser->AddPin<CReaderPin>();
        m_in->accepted = {MEDIASUBTYPE_NULL, MEDIASUBTYPE_dvsd};
        ASSERT_EQ(m_graph->AddFilter(m_parser, L"Parser"), S_OK);
    }
    // Adds the source, connects it to the reader pin, and checks what the
    // connection carries; the graph holds the source from then on.
    void ConnectSource(CAsyncSourceFilter* source)
    {
        ASSERT_EQ(m_graph->AddFilter(source, L"Source"), S_OK);
        source->Release();
        ASSERT_NE(source->Output(), nullptr);
        ASSERT_EQ(m_graph->ConnectDirect(source->Output(), m_in, nullptr), S_OK);
        ASSERT_TRUE(m_in->reader);
        EXPECT_EQ(m_in->ConnectionType().majortype, MEDIATYPE_Stream);
    }

    CTestFilter* m_parser = nullptr;
    CReaderPin* m_in = nullptr;
};

TEST_F(SourceFilterTest, FileSourceReadsTheLoadedFile)
{
    const std::vector<BYTE> data = Bytes(1000);
    const TempFile file(data);
    const std::wstring wide = file.WidePath();

    CFileSourceFilter* source = nullptr;
    ASSERT_EQ(CFileSourceFilter::Create(&source), S_OK);
    EXPECT_EQ(source->GetPinCount(), 0) << "no pin before a file is loaded";
    LPOLESTR name = nullptr;
    EXPECT_EQ(source->GetCurFile(&name, nullptr), E_FAIL);
    EXPECT_EQ(source->Load(L"/nonexistent/qtp/movie.mov", nullptr), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(source->Load(wide.c_str(), nullptr), S_OK);
    CMediaType offered;
    ASSERT_EQ(source->GetCurFile(&name, &offered), S_OK);
    EXPECT_EQ(std::wstring(name), wide);
    CoTaskMemFree(name);
    EXPECT_EQ(offered.majortype, MEDIATYPE_Stream);

    ConnectSource(source);
    EXPECT_EQ(source->Load(wide.c_str(), nullptr), VFW_E_ALREADY_CONNECTED);
    std::vector<BYTE> got(16);
    ASSERT_EQ(m_in->reader->SyncRead(990, 10, got.data()), S_OK);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 10, data.begin() + 990));
    EXPECT_EQ(m_in->reader->SyncRead(995, 16, got.data()), S_FALSE) << "past the end";
}

TEST_F(SourceFilterTest, MemorySourceIsItsReaderAndFailsWhenTold)
{
    CAsyncSourceFilter* source = nullptr;
    CFaultInjectingReader* faults = nullptr;
    ASSERT_EQ(CreateFaultySource(Bytes(64), &source, &faults), S_OK);
    ConnectSource(source);
    faults->FailAfter(1, VFW_E_FILE_TOO_SHORT);
    BYTE got[8] = {};
    ASSERT_EQ(m_in->reader->SyncRead(8, 8, got), S_OK);
    EXPECT_EQ(got[0], static_cast<BYTE>(8 * 7 + 3));
    EXPECT_EQ(m_in->reader->SyncRead(0, 4, got), VFW_E_FILE_TOO_SHORT);
    faults->Release();

    // The pin is the reader: COM identity holds both ways.
    IPin* pin = nullptr;
    ASSERT_EQ(m_in->reader->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pin)), S_OK);
    EXPECT_EQ(pin, static_cast<IPin*>(source->Output()));
    pin->Release();
    const CMediaType video = MakeType(MEDIATYPE_Video, MEDIASUBTYPE_dvsd);
    EXPECT_EQ(source->Output()->QueryAccept(&video), S_FALSE);
}

TEST_F(SourceFilterTest, PeerWithoutReaderInterfaceIsRefused)
{
    CAsyncSourceFilter* source = nullptr;
    ASSERT_EQ(CreateMemorySource(Bytes(4), &source), S_OK);
    ASSERT_EQ(m_graph->AddFilter(source, L"Source"), S_OK);
    source->Release();
    CTestFilter* other = Own(CTestFilter::Create(L"Other"));
    CTestPin* plain = other->AddPin<CTestPin>(L"Out", PINDIR_OUTPUT);
    plain->offered = {MakeType(MEDIATYPE_Stream, MEDIASUBTYPE_NULL)};
    ASSERT_EQ(m_graph->AddFilter(other, L"Other"), S_OK);
    EXPECT_EQ(m_graph->ConnectDirect(plain, m_in, nullptr), E_NOINTERFACE);
    EXPECT_FALSE(m_in->IsConnected());
    EXPECT_EQ(m_graph->ConnectDirect(source->Output(), m_in, nullptr), S_OK) << "a proper reader still connects";
}

} // namespace
