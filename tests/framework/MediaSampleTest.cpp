// Media samples of the native allocator: data length limits, times and media
// times read back as set, and a clean state each time a sample is handed out.
#include <dshow.h>

#include <gtest/gtest.h>

#include "framework/CreateMemoryAllocator.h"

namespace {

class MediaSampleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateMemoryAllocator(&m_allocator), S_OK);
        ALLOCATOR_PROPERTIES request{1, 100, 1, 0};
        ALLOCATOR_PROPERTIES actual{};
        ASSERT_EQ(m_allocator->SetProperties(&request, &actual), S_OK);
        ASSERT_EQ(m_allocator->Commit(), S_OK);
        m_sample = Get();
    }
    void TearDown() override
    {
        if (m_sample)
            m_sample->Release();
        EXPECT_EQ(m_allocator->Decommit(), S_OK);
        EXPECT_EQ(m_allocator->Release(), 0u);
    }
    IMediaSample* Get()
    {
        IMediaSample* sample = nullptr;
        EXPECT_EQ(m_allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT), S_OK);
        return sample;
    }

    IMemAllocator* m_allocator = nullptr;
    IMediaSample* m_sample = nullptr;
};

TEST_F(MediaSampleTest, DataLengthStaysWithinTheBuffer)
{
    EXPECT_EQ(m_sample->GetActualDataLength(), 100);
    EXPECT_EQ(m_sample->SetActualDataLength(100), S_OK);
    EXPECT_EQ(m_sample->SetActualDataLength(0), S_OK);
    EXPECT_EQ(m_sample->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(m_sample->SetActualDataLength(-1), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(m_sample->GetActualDataLength(), 0);
    EXPECT_EQ(m_sample->SetActualDataLength(57), S_OK);
    EXPECT_EQ(m_sample->GetActualDataLength(), 57);
}

TEST_F(MediaSampleTest, StreamTimesReadBackAsSet)
{
    REFERENCE_TIME start = -1, stop = -1;
    EXPECT_EQ(m_sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);

    REFERENCE_TIME setStart = 0x123456789ALL, setStop = setStart + 400000;
    EXPECT_EQ(m_sample->SetTime(&setStart, &setStop), S_OK);
    EXPECT_EQ(m_sample->GetTime(&start, &stop), S_OK);
    EXPECT_EQ(start, setStart);
    EXPECT_EQ(stop, setStop);

    EXPECT_EQ(m_sample->SetTime(&setStart, nullptr), S_OK);
    EXPECT_EQ(m_sample->GetTime(&start, &stop), VFW_S_NO_STOP_TIME);
    EXPECT_EQ(start, setStart);
    EXPECT_EQ(stop, setStart + 1);

    EXPECT_EQ(m_sample->SetTime(nullptr, nullptr), S_OK);
    EXPECT_EQ(m_sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(m_sample->GetTime(nullptr, &stop), E_POINTER);
}

TEST_F(MediaSampleTest, MediaTimesReadBackAsSet)
{
    LONGLONG start = -1, stop = -1;
    EXPECT_EQ(m_sample->GetMediaTime(&start, &stop), VFW_E_MEDIA_TIME_NOT_SET);
    LONGLONG setStart = 5000000000LL, setStop = 5000000025LL;
    EXPECT_EQ(m_sample->SetMediaTime(&setStart, nullptr), E_POINTER);
    EXPECT_EQ(m_sample->SetMediaTime(&setStart, &setStop), S_OK);
    EXPECT_EQ(m_sample->GetMediaTime(&start, &stop), S_OK);
    EXPECT_EQ(start, setStart);
    EXPECT_EQ(stop, setStop);
    EXPECT_EQ(m_sample->SetMediaTime(nullptr, nullptr), S_OK);
    EXPECT_EQ(m_sample->GetMediaTime(&start, &stop), VFW_E_MEDIA_TIME_NOT_SET);
}

TEST_F(MediaSampleTest, MediaTypeIsCopiedInAndOut)
{
    AM_MEDIA_TYPE* got = nullptr;
    EXPECT_EQ(m_sample->GetMediaType(&got), S_FALSE);
    EXPECT_EQ(got, nullptr);

    BYTE format[18] = {1, 0, 2, 0};
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof format;
    type.pbFormat = format;
    EXPECT_EQ(m_sample->SetMediaType(&type), S_OK);
    format[0] = 9; // the sample keeps its own copy
    ASSERT_EQ(m_sample->GetMediaType(&got), S_OK);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->majortype, MEDIATYPE_Audio);
    EXPECT_EQ(got->cbFormat, 18u);
    ASSERT_NE(got->pbFormat, format);
    EXPECT_EQ(got->pbFormat[0], 1);
    EXPECT_EQ(got->pbFormat[2], 2);
    CoTaskMemFree(got->pbFormat);
    CoTaskMemFree(got);
    EXPECT_EQ(m_sample->SetMediaType(nullptr), S_OK);
    EXPECT_EQ(m_sample->GetMediaType(&got), S_FALSE);
}

TEST_F(MediaSampleTest, FlagsAreSetAndClearedAndAReusedSampleStartsClean)
{
    EXPECT_EQ(m_sample->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(m_sample->SetSyncPoint(TRUE), S_OK);
    EXPECT_EQ(m_sample->IsSyncPoint(), S_OK);
    EXPECT_EQ(m_sample->SetPreroll(TRUE), S_OK);
    EXPECT_EQ(m_sample->IsPreroll(), S_OK);
    EXPECT_EQ(m_sample->SetDiscontinuity(TRUE), S_OK);
    EXPECT_EQ(m_sample->IsDiscontinuity(), S_OK);
    EXPECT_EQ(m_sample->SetDiscontinuity(FALSE), S_OK);
    EXPECT_EQ(m_sample->IsDiscontinuity(), S_FALSE);
    REFERENCE_TIME t0 = 1, t1 = 2;
    EXPECT_EQ(m_sample->SetTime(&t0, &t1), S_OK);
    EXPECT_EQ(m_sample->SetMediaTime(&t0, &t1), S_OK);
    EXPECT_EQ(m_sample->SetActualDataLength(3), S_OK);
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    EXPECT_EQ(m_sample->SetMediaType(&type), S_OK);

    IMediaSample* before = m_sample;
    m_sample->Release();
    m_sample = Get();
    ASSERT_EQ(m_sample, before) << "one buffer: the same sample comes back";
    EXPECT_EQ(m_sample->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(m_sample->IsPreroll(), S_FALSE);
    EXPECT_EQ(m_sample->GetActualDataLength(), 100);
    EXPECT_EQ(m_sample->GetTime(&t0, &t1), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(m_sample->GetMediaTime(&t0, &t1), VFW_E_MEDIA_TIME_NOT_SET);
    AM_MEDIA_TYPE* got = nullptr;
    EXPECT_EQ(m_sample->GetMediaType(&got), S_FALSE);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(m_sample->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(m_sample));
    unknown->Release();
    EXPECT_EQ(m_sample->QueryInterface(IID_IPin, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
    EXPECT_EQ(unknown, nullptr);
}

} // namespace
