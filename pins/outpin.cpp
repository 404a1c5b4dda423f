// The output pin's connection side: construction, the media type it offers,
// the types it accepts and the allocator terms it insists on.
#include "pins/outpin.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include <cstring>

#include "pins/OutPinTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "pins/inpin.h"
#include "quicktime/QTTimes.h"
#include "quicktime/QTTrack.h"

namespace
{
constexpr LONG kBuffersPerPin = 8;
constexpr LONG kDefaultBufferBytes = 0x10000; // when the track gives no size

// The format block copied into the type; false when it cannot be allocated.
template <class Block>
bool SetFormatBlock(CMediaType& type, const GUID& formatType, const Block& block)
{
    type.SetFormatType(&formatType);
    return type.SetFormat(reinterpret_cast<const BYTE*>(&block), sizeof block) != FALSE;
}

VIDEOINFOHEADER2 VideoFormatBlock(const QTTrack& track, double* pQuotient)
{
    const QTVideoFormat& video = track.GetVideoFormat();
    const QTMediaType& media = track.GetMediaType();
    VIDEOINFOHEADER2 block;
    std::memset(&block, 0, sizeof block);
    block.rcSource = RECT{0, 0, static_cast<LONG>(video.width), static_cast<LONG>(video.height)};
    block.rcTarget = block.rcSource;
    block.dwBitRate = media.bitRate * 1000000u;
    block.dwBitErrorRate = 0;
    *pQuotient = media.frameRate > 0 ? static_cast<double>(kUnitsPerSecond) / media.frameRate : 0.0;
    block.AvgTimePerFrame = FrameDuration(media.frameRate);
    if (track.UsesInterlacedDefaults())
    {
        block.dwInterlaceFlags = AMINTERLACE_IsInterlaced;
        block.dwPictAspectRatioX = 4;
        block.dwPictAspectRatioY = 3;
    }
    else
    {
        block.dwInterlaceFlags = 0;
        block.dwPictAspectRatioX = 16;
        block.dwPictAspectRatioY = 9;
    }
    if (video.pictureAspectX != 0)
    {
        block.dwPictAspectRatioX = video.pictureAspectX;
        block.dwPictAspectRatioY = video.pictureAspectY;
    }
    block.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    block.bmiHeader.biWidth = static_cast<LONG>(video.width);
    block.bmiHeader.biHeight = static_cast<LONG>(video.height);
    block.bmiHeader.biPlanes = 1;
    block.bmiHeader.biCompression = track.GetSampleDescription().formatCode;
    return block;
}

WAVEFORMATEX SoundFormatBlock(const QTSoundFormat& sound)
{
    WAVEFORMATEX block;
    std::memset(&block, 0, sizeof block);
    block.wFormatTag = WAVE_FORMAT_PCM;
    block.nChannels = static_cast<WORD>(sound.channels);
    block.nSamplesPerSec = sound.sampleRate;
    block.wBitsPerSample = static_cast<WORD>(sound.bytesPerSample * 8);
    block.nBlockAlign = static_cast<WORD>(sound.channels * sound.bytesPerSample);
    block.nAvgBytesPerSec = sound.sampleRate * sound.bytesPerSample * sound.channels;
    block.cbSize = sizeof(WAVEFORMATEX); // the structure's own size, as consumers of this filter expect
    return block;
}

TimecodeFormatBlock TimecodeBlock(const QTTrack& track)
{
    const QTTimecodeFormat& timecode = track.GetTimecodeFormat();
    TimecodeFormatBlock block;
    std::memset(&block, 0, sizeof block);
    block.version = 1;
    block.dropFrame = (timecode.flags & 0x1) ? 1 : 0;
    block.countingMode = (timecode.flags & 0x8) ? 1 : 2;
    block.timeScale = static_cast<LONG>(track.GetMediaTimeScale());
    block.frameDuration = static_cast<LONG>(timecode.frameDuration);
    block.framesPerSecond = timecode.frameCount;
    block.startFrame = track.GetTimecodeStart();
    return block;
}

// Bytes of a track's buffer as a 32-bit unsigned product; a product that does
// not fit gives 0, which the allocator terms then replace by their default.
DWORD BufferBytes(ULONGLONG a, ULONGLONG b, ULONGLONG c)
{
    if (a != 0 && b != 0 && c != 0 && (a > 0xFFFFFFFFull / b || a * b > 0xFFFFFFFFull / c))
        return 0;
    return static_cast<DWORD>(a * b * c);
}
} // namespace

COutputPin::COutputPin(CRZQTFileParser* pFilter, HRESULT* phr, LPCWSTR pName, QTTrack* pTrack)
    : CBaseOutputPin(L"COutputPin", pFilter, pFilter->GetFilterLock(), phr, pName),
      m_pParser(pFilter),
      m_TimeFormat(TIME_FORMAT_MEDIA_TIME),
      m_pTrack(pTrack)
{
    CTraceEntry tracer(L"COutputPin::COutputPin");
}

COutputPin::~COutputPin()
{
    DebugPrintW(L"\nOutputPin::Destructor\n");
    (void)Cleanup(); // logs its own failures
}

STDMETHODIMP COutputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IMediaSeeking)
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

bool COutputPin::IsInputConnected() const
{
    const CInputPin* input = m_pParser->GetInputPin();
    return input && input->IsConnected();
}

HRESULT COutputPin::SetMediaFormat()
{
    CTraceEntry tracer(L"COutputPin::SetMediaFormat");
    try
    {
        const QTMediaType& media = m_pTrack->GetMediaType();
        m_MediaType.InitMediaType();
        m_MediaType.SetType(&media.majorType);
        m_MediaType.SetSubtype(&media.subtype);
        const QTSampleTables& tables = m_pTrack->GetSampleTables();
        switch (m_pTrack->GetKind())
        {
        case QTTrackKind::Video:
        {
            double quotient = 0;
            const VIDEOINFOHEADER2 block = VideoFormatBlock(*m_pTrack, &quotient);
            DebugPrintW(L"SetMediaFormat-video %d - %d  frm-rate %f\n", media.bitRate, block.dwBitRate,
                        media.frameRate);
            DebugPrintW(L"   aspect ratio is %d x %d", block.dwPictAspectRatioX, block.dwPictAspectRatioY);
            DebugPrintW(L"AvgTime/frm = %f, %f", quotient, static_cast<double>(block.AvgTimePerFrame));
            if (!SetFormatBlock(m_MediaType, FORMAT_VideoInfo2, block))
                tracer = E_OUTOFMEMORY;
            m_dwBufferSize = static_cast<DWORD>(tables.maxSampleSize);
            m_MediaType.SetSampleSize(m_dwBufferSize);
            break;
        }
        case QTTrackKind::Sound:
        {
            const QTSoundFormat& sound = m_pTrack->GetSoundFormat();
            if (!SetFormatBlock(m_MediaType, FORMAT_WaveFormatEx, SoundFormatBlock(sound)))
                tracer = E_OUTOFMEMORY;
            m_dwBufferSize = BufferBytes(static_cast<DWORD>(tables.maxSamplesPerChunk), sound.channels,
                                         sound.bytesPerSample);
            m_MediaType.SetSampleSize(m_dwBufferSize);
            break;
        }
        case QTTrackKind::Timecode:
            m_dwBufferSize = static_cast<DWORD>(tables.sampleSize);
            if (!SetFormatBlock(m_MediaType, FORMAT_QTTimecode, TimecodeBlock(*m_pTrack)))
                tracer = E_OUTOFMEMORY;
            break;
        case QTTrackKind::None:
            break;
        }
        LimitBufferToSource();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

void COutputPin::LimitBufferToSource()
{
    // No sample holds more than the whole file: a table that claims more must
    // not make the allocator reserve it (8 times over). A larger sample then
    // fails the run as one that does not fit its buffer.
    CInputPin* input = m_pParser->GetInputPin();
    const LONGLONG fileBytes = input ? input->GetDuration() : 0;
    if (fileBytes > 0 && static_cast<LONGLONG>(m_dwBufferSize) > fileBytes)
    {
        m_dwBufferSize = static_cast<DWORD>(fileBytes);
        if (m_pTrack->IsVideo() || m_pTrack->IsAudio())
            m_MediaType.SetSampleSize(m_dwBufferSize);
    }
}

HRESULT COutputPin::CheckMediaType(const CMediaType* pmt)
{
    CTraceEntry tracer(L"COutputPin::CheckMediaType");
    try
    {
        if (!IsInputConnected() || !pmt || pmt->majortype != m_MediaType.majortype)
            return VFW_E_TYPE_NOT_ACCEPTED;
    }
    QTP_CATCH_ALL(tracer)
    return FAILED(tracer.Result()) ? S_FALSE : tracer.Result();
}

HRESULT COutputPin::GetMediaType(int iPosition, CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    if (!IsInputConnected())
        return VFW_S_NO_MORE_ITEMS;
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    return pmt->Set(m_MediaType);
}

HRESULT COutputPin::CompleteConnect(IPin* pReceivePin)
{
    if (!IsInputConnected())
        return E_UNEXPECTED;
    return CBaseOutputPin::CompleteConnect(pReceivePin);
}

HRESULT COutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    CTraceEntry tracer(L"COutputPin::DecideBufferSize");
    try
    {
        if (!pAlloc || !pProps)
            tracer = E_INVALIDARG;
        if (!IsInputConnected())
            tracer = E_UNEXPECTED;
        pProps->cBuffers = kBuffersPerPin;
        pProps->cbBuffer = m_dwBufferSize != 0 ? static_cast<LONG>(m_dwBufferSize) : kDefaultBufferBytes;
        pProps->cbAlign = 1;
        pProps->cbPrefix = 0;
        ALLOCATOR_PROPERTIES actual{};
        const HRESULT hr = pAlloc->SetProperties(pProps, &actual);
        tracer.SetResult(hr); // a refusal is raised below, after the trace line
        DebugPrintW(L"OutPin::Deciding2(%d): %d\n", m_pTrack ? m_pTrack->GetTrackId() : 0, m_dwBufferSize);
        if (FAILED(hr))
            QTP_RAISE(tracer, hr, L"Allocator refused to accept our allocator properties\n");
        if (actual.cBuffers != pProps->cBuffers || actual.cbBuffer != pProps->cbBuffer ||
            actual.cbAlign != pProps->cbAlign || actual.cbPrefix != pProps->cbPrefix)
            QTP_RAISE(tracer, E_FAIL, L"Allocator returned properties that we do not like during negotiaton");
        DebugPrintW(L"OutPin::Deciding3: %d\n", m_dwBufferSize);
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

HRESULT COutputPin::BreakConnect()
{
    const HRESULT cleanup = Cleanup();
    const HRESULT base = CBaseOutputPin::BreakConnect();
    return FAILED(cleanup) ? cleanup : (FAILED(base) ? base : S_OK);
}
