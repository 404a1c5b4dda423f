// The track's container walks and the headers they read: which atoms a track
// is made of, its ID, its media time scale and its kind.
#include "quicktime/AtomWalk.h"
#include "quicktime/QTTrack.h"

namespace
{
// A data reference this small holds at most the self-reference of media in
// this file; a larger one names media elsewhere, which this parser cannot read.
constexpr LONGLONG kMaxSelfReferenceSize = 40;
} // namespace

HRESULT QTTrack::ParseTrak(QTParser& reader)
{
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Tkhd, &QTTrack::ParseTkhd},
        {FourCC::Edts, &QTTrack::ParseEdts},
        {FourCC::Mdia, &QTTrack::ParseMdia},
    };
    return WalkAtoms(reader, *this, kChildren);
}

HRESULT QTTrack::ParseTkhd(QTParser& reader)
{
    uint32_t versionAndFlags = 0;
    if (reader.ReadUInt32(versionAndFlags) < 0)
        return E_FAIL;
    (void)reader.Skip(8); // creation and modification times
    uint32_t trackId = 0;
    if (reader.ReadUInt32(trackId) < 0 || trackId == 0)
        return E_FAIL;
    m_trackId = trackId;
    (void)reader.Skip(4); // reserved
    uint32_t duration = 0; // track time scale units; not used
    if (reader.ReadUInt32(duration) < 0)
        return E_FAIL;
    return S_OK;
}

HRESULT QTTrack::ParseEdts(QTParser& /*reader*/)
{
    return S_OK; // edit lists are not applied
}

HRESULT QTTrack::ParseMdia(QTParser& reader)
{
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Mdhd, &QTTrack::ParseMdhd},
        {FourCC::Minf, &QTTrack::ParseMinf},
    };
    return WalkAtoms(reader, *this, kChildren);
}

HRESULT QTTrack::ParseMdhd(QTParser& reader)
{
    (void)reader.Skip(12); // version and flags, creation and modification times
    uint32_t timeScale = 0;
    if (reader.ReadUInt32(timeScale) < 0)
        return E_FAIL;
    m_mediaTimeScale = timeScale; // 0 is kept without complaint
    uint32_t duration = 0; // media time scale units; not used
    if (reader.ReadUInt32(duration) < 0)
        return E_FAIL;
    return S_OK;
}

HRESULT QTTrack::ParseMinf(QTParser& reader)
{
    // The media header must come before "stbl" (it does in well-formed
    // files): the sample description reads the fields of the track's kind.
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Vmhd, &QTTrack::ParseVmhd, QTAtomAccess::HeaderOnly},
        {FourCC::Smhd, &QTTrack::ParseSmhd, QTAtomAccess::HeaderOnly},
        {FourCC::Gmhd, &QTTrack::ParseGmhd},
        {FourCC::Dinf, &QTTrack::ParseDinf},
        {FourCC::Stbl, &QTTrack::ParseStbl},
    };
    return WalkAtoms(reader, *this, kChildren);
}

HRESULT QTTrack::ParseVmhd(QTParser& /*reader*/)
{
    m_kind = QTTrackKind::Video;
    return S_OK;
}

HRESULT QTTrack::ParseSmhd(QTParser& /*reader*/)
{
    m_kind = QTTrackKind::Sound;
    return S_OK;
}

HRESULT QTTrack::ParseGmhd(QTParser& reader)
{
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Tmcd, &QTTrack::ParseGmhdTmcd, QTAtomAccess::HeaderOnly},
    };
    return WalkAtoms(reader, *this, kChildren);
}

HRESULT QTTrack::ParseGmhdTmcd(QTParser& /*reader*/)
{
    m_kind = QTTrackKind::Timecode;
    return S_OK;
}

HRESULT QTTrack::ParseDinf(QTParser& reader)
{
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Dref, &QTTrack::ParseDref, QTAtomAccess::HeaderOnly},
    };
    return WalkAtoms(reader, *this, kChildren);
}

HRESULT QTTrack::ParseDref(QTParser& reader)
{
    return reader.GetAtomSize() > kMaxSelfReferenceSize ? E_FAIL : S_OK;
}

HRESULT QTTrack::ParseStbl(QTParser& reader)
{
    static const QTAtomHandler<QTTrack> kChildren[] = {
        {FourCC::Stsd, &QTTrack::ParseStsd},
        {FourCC::Stts, &QTTrack::ParseStts},
        {FourCC::Stsc, &QTTrack::ParseStsc},
        {FourCC::Stsz, &QTTrack::ParseStsz},
        {FourCC::Stco, &QTTrack::ParseStco},
        {FourCC::Co64, &QTTrack::ParseCo64},
    };
    return WalkAtoms(reader, *this, kChildren);
}
