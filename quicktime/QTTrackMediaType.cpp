// The media type a track's output pin offers: major type and subtype for every
// kind, and for video the frame rate and the nominal bit rate.
#include "framework/DebugPrint.h"
#include "quicktime/QTMediaGuids.h"
#include "quicktime/QTTrack.h"

namespace
{
struct VideoFormatEntry
{
    uint32_t code;
    DWORD bitRate;  // megabits per second
    bool dv25;      // offered as the platform's DV 25 subtype
};

// Video formats named by this filter. Any other code is offered under its own
// four-character-code GUID at 25 Mbit/s.
const VideoFormatEntry kVideoFormats[] = {
    {FourCC::Dv5n, 50, false}, {FourCC::Dv5p, 50, false}, {FourCC::Dv2n, 25, true},
    {FourCC::Dv2p, 25, true},  {FourCC::Dvc, 25, true},   {FourCC::Dvpn, 25, true},
    {FourCC::Dvpp, 25, true},  {FourCC::Hdv2, 50, false}, {FourCC::Mx4n, 50, false},
    {FourCC::Mx5n, 50, false},
};
constexpr DWORD kDefaultVideoBitRate = 25;

// Media time scales are written as rate x 100 (2997 for 29.97 frames per
// second); a scale below 100 is the rate itself.
double FrameRateOf(DWORD mediaTimeScale)
{
    const LONG scale = static_cast<LONG>(mediaTimeScale);
    return scale >= 100 ? scale / 100.0 : static_cast<double>(scale);
}
} // namespace

void QTTrack::SetMediaType()
{
    DebugPrintW(L"SetMediaType========================\n");
    switch (m_kind)
    {
    case QTTrackKind::Video: SetVMediaType(); break;
    case QTTrackKind::Sound: SetAMediaType(); break;
    case QTTrackKind::Timecode: SetTMediaType(); break;
    case QTTrackKind::None:
        m_mediaType.majorType = GUID_NULL;
        m_mediaType.subtype = MEDIASUBTYPE_None;
        break;
    }
}

void QTTrack::SetVMediaType()
{
    DebugPrintW(L"SetVMediaType========================\n");
    SetMajorType(IsVideo(), MEDIATYPE_Video, &QTTrack::SetVideoSubType);
}

void QTTrack::SetAMediaType()
{
    DebugPrintW(L"SetAMediaType========================\n");
    SetMajorType(IsAudio(), MEDIATYPE_Audio, &QTTrack::SetAudioSubType);
}

void QTTrack::SetTMediaType()
{
    DebugPrintW(L"SetTMediaType========================\n");
    SetMajorType(IsTimecode(), MEDIATYPE_Timecode, &QTTrack::SetTimecodeSubType);
}

void QTTrack::SetMajorType(bool ofThisKind, const GUID& majorType, void (QTTrack::*setSubtype)())
{
    if (!ofThisKind)
    {
        m_mediaType.majorType = GUID_NULL;
        return;
    }
    m_mediaType.majorType = majorType;
    (this->*setSubtype)();
}

void QTTrack::SetVideoSubType()
{
    const uint32_t code = m_description.formatCode;
    if (!IsVideo() || GetFormatName().text[0] == L'\0' || code == 0)
    {
        m_mediaType.subtype = MEDIASUBTYPE_None; // frame rate and bit rate stay 0
        return;
    }
    m_mediaType.subtype = FourCCGuid(code);
    m_mediaType.frameRate = FrameRateOf(m_mediaTimeScale);
    DebugPrintW(L"SetVideoSubType: frate %f, media TS = %d", m_mediaType.frameRate,
                static_cast<int>(m_mediaTimeScale));
    for (const VideoFormatEntry& format : kVideoFormats)
    {
        if (format.code != code)
            continue;
        m_mediaType.bitRate = format.bitRate;
        if (format.dv25)
            m_mediaType.subtype = MEDIASUBTYPE_dvsd;
        break;
    }
    if (m_mediaType.bitRate == 0)
        m_mediaType.bitRate = kDefaultVideoBitRate;
}

void QTTrack::SetAudioSubType()
{
    // Little-endian integer samples carry the reversed code ("42ni", "23ni").
    m_mediaType.subtype = IsAudio() ? FourCCGuid(m_description.formatCode) : MEDIASUBTYPE_None;
}

void QTTrack::SetTimecodeSubType()
{
    m_mediaType.subtype = MEDIASUBTYPE_QTTimecode;
}
