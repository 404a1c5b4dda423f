// The native memory allocator and its media samples: what it grants, when
// GetBuffer blocks and fails, that samples come back on their last Release,
// and what a sample keeps (length, times, type, flags) until it is reused.
#include <dshow.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <thread>

#include "framework/CCritSec.h"
#include "framework/CMediaType.h"
#include "framework/CreateMemoryAllocator.h"
#include "tests/support/BlockingCall.h"

namespace {

class MemAllocatorTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(CreateMemoryAllocator(&m_allocator), S_OK); }
    void TearDown() override
    {
        if (m_allocator)
        {
            EXPECT_EQ(m_allocator->Release(), 0u) << "a reference to the allocator was left";
        }
    }

    void Configure(LONG buffers, LONG size, LONG align = 1, LONG prefix = 0)
    {
        ALLOCATOR_PROPERTIES request{buffers, size, align, prefix};
        ALLOCATOR_PROPERTIES actual{};
        ASSERT_EQ(m_allocator->SetProperties(&request, &actual), S_OK);
        ASSERT_EQ(m_allocator->Commit(), S_OK);
    }

    IMediaSample* Get(DWORD flags = 0)
    {
        IMediaSample* sample = nullptr;
        EXPECT_EQ(m_allocator->GetBuffer(&sample, nullptr, nullptr, flags), S_OK);
        return sample;
    }

    ULONG AllocatorRefs()
    {
        m_allocator->AddRef();
        return m_allocator->Release();
    }

    IMemAllocator* m_allocator = nullptr;
};

TEST_F(MemAllocatorTest, GrantsExactlyWhatIsAskedAndRefusesBadRequests)
{
    ALLOCATOR_PROPERTIES request{8, 144000, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    IMediaSample* sample = nullptr;
    EXPECT_EQ(m_allocator->Commit(), VFW_E_SIZENOTSET);
    EXPECT_EQ(m_allocator->GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    EXPECT_EQ(sample, nullptr);

    EXPECT_EQ(m_allocator->SetProperties(&request, &actual), S_OK);
    EXPECT_EQ(0, std::memcmp(&request, &actual, sizeof actual));

    ALLOCATOR_PROPERTIES badAlign{8, 100, 3, 0};
    EXPECT_EQ(m_allocator->SetProperties(&badAlign, &actual), VFW_E_BADALIGN);
    ALLOCATOR_PROPERTIES negative{-1, 100, 1, 0};
    EXPECT_EQ(m_allocator->SetProperties(&negative, &actual), E_INVALIDARG);
    ALLOCATOR_PROPERTIES huge{1, 0x7FFFFFFF, 16, 0};
    EXPECT_EQ(m_allocator->SetProperties(&huge, &actual), E_INVALIDARG);
    EXPECT_EQ(m_allocator->SetProperties(nullptr, &actual), E_POINTER);

    EXPECT_EQ(m_allocator->Commit(), S_OK);
    EXPECT_EQ(m_allocator->SetProperties(&request, &actual), VFW_E_ALREADY_COMMITTED);
    EXPECT_EQ(m_allocator->Decommit(), S_OK);
    ALLOCATOR_PROPERTIES none{0, 100, 1, 0};
    EXPECT_EQ(m_allocator->SetProperties(&none, &actual), S_OK);
    EXPECT_EQ(m_allocator->Commit(), VFW_E_SIZENOTSET);
}

TEST_F(MemAllocatorTest, BuffersHonourSizeAlignmentAndPrefix)
{
    Configure(3, 1000, 64, 8);
    IMediaSample* samples[3];
    for (IMediaSample*& s : samples)
    {
        s = Get();
        BYTE* p = nullptr;
        ASSERT_EQ(s->GetPointer(&p), S_OK);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 64, 0u);
        EXPECT_EQ(s->GetSize(), 1000);
        std::memset(p - 8, 0xAB, 1008); // prefix and buffer are ours to write
    }
    for (IMediaSample* s : samples)
        s->Release();
}

TEST_F(MemAllocatorTest, GetBufferBlocksWhileEveryBufferIsOutUntilOneComesBack)
{
    Configure(2, 16);
    IMediaSample* first = Get();
    IMediaSample* second = Get();
    IMediaSample* none = nullptr;
    EXPECT_EQ(m_allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);

    IMediaSample* third = nullptr;
    BlockingCall waiter([&] { third = Get(); });
    EXPECT_TRUE(waiter.Blocks()) << "GetBuffer returned while every buffer was out";
    second->Release();
    waiter.Join();
    ASSERT_EQ(third, second) << "the buffer released is the one handed out";
    first->Release();
    third->Release();
}

TEST_F(MemAllocatorTest, DecommitWakesABlockedCallerAndFreesBuffersWhenTheyComeBack)
{
    Configure(1, 16);
    IMediaSample* out = Get();
    // Every blocked caller fails at once, not one per decommit.
    HRESULT blocked[2] = {S_FALSE, S_FALSE};
    IMediaSample* none[2] = {out, out};
    const auto get = [&](int i) { return [&, i] { blocked[i] = m_allocator->GetBuffer(&none[i], nullptr, nullptr, 0); }; };
    BlockingCall waiters[2] = {BlockingCall(get(0)), BlockingCall(get(1))};
    for (BlockingCall& waiter : waiters)
        EXPECT_TRUE(waiter.Blocks()) << "GetBuffer returned while the only buffer was out";
    EXPECT_EQ(m_allocator->Decommit(), S_OK);
    for (int i = 0; i < 2; ++i)
    {
        waiters[i].Join();
        EXPECT_EQ(blocked[i], VFW_E_NOT_COMMITTED);
        EXPECT_EQ(none[i], nullptr);
    }

    // New properties wait for the sample still out to come back.
    ALLOCATOR_PROPERTIES request{2, 32, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    EXPECT_EQ(m_allocator->SetProperties(&request, &actual), VFW_E_BUFFERS_OUTSTANDING);
    out->Release();
    EXPECT_EQ(m_allocator->SetProperties(&request, &actual), S_OK);
    ASSERT_EQ(m_allocator->Commit(), S_OK);
    IMediaSample* fresh = Get();
    EXPECT_EQ(fresh->GetSize(), 32);
    fresh->Release();
}

TEST_F(MemAllocatorTest, SampleReturnsOnlyOnItsLastReleaseAndKeepsTheAllocatorAlive)
{
    Configure(1, 16);
    IMediaSample* sample = Get();
    EXPECT_EQ(AllocatorRefs(), 2u) << "a sample out holds one reference on its allocator";
    EXPECT_EQ(sample->AddRef(), 2u);
    EXPECT_EQ(sample->Release(), 1u);
    IMediaSample* none = nullptr;
    EXPECT_EQ(m_allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);
    EXPECT_EQ(m_allocator->ReleaseBuffer(nullptr), E_POINTER);

    // The allocator's last outside reference goes while the sample is out.
    EXPECT_EQ(m_allocator->Release(), 1u);
    IMemAllocator* allocator = m_allocator;
    m_allocator = nullptr;
    BYTE* p = nullptr;
    EXPECT_EQ(sample->GetPointer(&p), S_OK);
    p[0] = 7;
    EXPECT_EQ(sample->Release(), 0u); // frees the allocator; ASan reports a leak otherwise
    (void)allocator;
}

TEST_F(MemAllocatorTest, ProducerAndConsumerShareFewBuffersWithoutLoss)
{
    Configure(3, sizeof(int));
    CCritSec lock;
    std::deque<IMediaSample*> queue;
    std::atomic<bool> done{false};
    int received = 0;
    bool inOrder = true;
    std::thread consumer([&] {
        while (!done || received < 2000)
        {
            IMediaSample* s = nullptr;
            {
                CAutoLock guard(&lock);
                if (queue.empty())
                    continue;
                s = queue.front();
                queue.pop_front();
            }
            BYTE* p = nullptr;
            (void)s->GetPointer(&p);
            int value;
            std::memcpy(&value, p, sizeof value);
            inOrder = inOrder && value == received++;
            s->Release();
        }
    });
    for (int i = 0; i < 2000; ++i)
    {
        IMediaSample* s = Get();
        BYTE* p = nullptr;
        (void)s->GetPointer(&p);
        std::memcpy(p, &i, sizeof i);
        CAutoLock guard(&lock);
        queue.push_back(s);
    }
    done = true;
    consumer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(m_allocator->Decommit(), S_OK);
}

TEST_F(MemAllocatorTest, SampleRefusesBadValuesAndStartsCleanWhenReused)
{
    Configure(1, 100);
    IMediaSample* sample = Get();
    REFERENCE_TIME start = -1, stop = -1;
    EXPECT_EQ(sample->GetActualDataLength(), 100);
    EXPECT_EQ(sample->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(sample->SetActualDataLength(-1), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(sample->GetTime(nullptr, &stop), E_POINTER);
    REFERENCE_TIME setStart = 0x123456789ALL;
    EXPECT_EQ(sample->SetTime(&setStart, nullptr), S_OK);
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_S_NO_STOP_TIME);
    EXPECT_EQ(stop, setStart + 1);
    EXPECT_EQ(sample->GetMediaTime(&start, &stop), VFW_E_MEDIA_TIME_NOT_SET);
    EXPECT_EQ(sample->SetMediaTime(&setStart, nullptr), E_POINTER) << "media times: both or none";

    BYTE format[18] = {1, 0, 2, 0};
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.cbFormat = sizeof format;
    type.pbFormat = format;
    EXPECT_EQ(sample->SetMediaType(&type), S_OK);
    format[0] = 9; // the sample keeps its own copy
    AM_MEDIA_TYPE* got = nullptr;
    ASSERT_EQ(sample->GetMediaType(&got), S_OK);
    ASSERT_NE(got->pbFormat, format);
    EXPECT_EQ(got->pbFormat[0], 1);
    DeleteMediaType(got);

    (void)sample->SetActualDataLength(3);
    (void)sample->SetSyncPoint(TRUE);
    (void)sample->SetPreroll(TRUE);
    (void)sample->SetMediaTime(&setStart, &setStart);
    IMediaSample* before = sample;
    sample->Release();
    sample = Get();
    ASSERT_EQ(sample, before) << "one buffer: the same sample comes back";
    EXPECT_EQ(sample->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(sample->IsPreroll(), S_FALSE);
    EXPECT_EQ(sample->GetActualDataLength(), 100);
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(sample->GetMediaTime(&start, &stop), VFW_E_MEDIA_TIME_NOT_SET);
    EXPECT_EQ(sample->GetMediaType(&got), S_FALSE);
    EXPECT_EQ(sample->QueryInterface(IID_IPin, reinterpret_cast<void**>(&got)), E_NOINTERFACE);
    sample->Release();
}

} // namespace
