// One track of a movie, built from one "trak" atom. Constructing it on a
// reader over the atom walks the whole track (header, media, media
// information, sample table); a walk that fails part-way leaves the track
// with what was read before the failure.
//
// The implementation is split by concern: QTTrackWalk.cpp (the container
// walks and headers), QTTrackSampleDescription.cpp ("stsd"),
// QTTrackSampleTables.cpp (the sample tables and the position in them),
// QTTrackMediaType.cpp (the media type its output pin offers).
#pragma once

#include <windows.h>

#include <cstdint>

#include "quicktime/FourCC.h"
#include "quicktime/QTMediaType.h"
#include "quicktime/QTParser.h"
#include "quicktime/QTSampleDescription.h"
#include "quicktime/QTSampleTables.h"

class COutputPin;

// Decided by the media information header present: "vmhd", "smhd", or "gmhd"
// holding "tmcd".
enum class QTTrackKind : LONG
{
    None = 0,
    Video = 1,
    Sound = 2,
    Timecode = 3,
};

class QTTrack
{
public:
    // A track with its starting values, nothing parsed.
    QTTrack() = default;
    // Parses the "trak" the reader covers; the outcome is not reported, the
    // track always exists afterwards. The reader is not kept.
    explicit QTTrack(QTParser& trakReader);
    QTTrack(const QTTrack&) = delete;
    QTTrack& operator=(const QTTrack&) = delete;

    // S_OK, or E_FAIL at the first atom that fails (the walk stops there).
    [[nodiscard]] HRESULT ParseTrak(QTParser& trakReader);

    QTTrackKind GetKind() const { return m_kind; }
    bool IsVideo() const { return m_kind == QTTrackKind::Video; }
    bool IsAudio() const { return m_kind == QTTrackKind::Sound; }
    bool IsTimecode() const { return m_kind == QTTrackKind::Timecode; }
    DWORD GetTrackId() const { return m_trackId; }
    DWORD GetMediaTimeScale() const { return m_mediaTimeScale; } // units per second

    const QTSampleDescription& GetSampleDescription() const { return m_description; }
    // The four data-format characters in file order (empty before "stsd").
    FourCCString GetFormatName() const { return FourCCToWide(m_description.formatCode); }
    const QTVideoFormat& GetVideoFormat() const { return m_video; }
    const QTSoundFormat& GetSoundFormat() const { return m_sound; }
    const QTTimecodeFormat& GetTimecodeFormat() const { return m_timecode; }

    const QTMediaType& GetMediaType() const { return m_mediaType; }
    void GetMajorType(GUID* majorType) const { *majorType = m_mediaType.majorType; }

    // Media type (QTTrackMediaType.cpp). SetMediaType derives major type,
    // subtype, frame rate and bit rate from the kind, the format and the media
    // time scale; the sample description calls it last. The others are its
    // cases by kind.
    void SetMediaType();
    void SetVMediaType();
    void SetAMediaType();
    void SetTMediaType();
    void SetVideoSubType();
    void SetAudioSubType();
    void SetTimecodeSubType();
    // True when the frame is at most 720 pixels wide (or its width unknown):
    // the video format then starts from interlaced 4:3 defaults, otherwise
    // from progressive 16:9 ones.
    bool UsesInterlacedDefaults() const { return m_video.width <= 720; }

    const QTSampleTables& GetSampleTables() const { return m_tables; }

    // Navigation (QTTrackSampleTables.cpp). Sample and chunk indices are
    // 1-based; sizes are in bytes; -1 means out of range or unknown.
    //
    // Size of the sample with this index: the fixed size whatever the index,
    // else the table entry.
    LONG GetSampleSize(LONG index) const;
    // Size of the current sample: the track's sample size when "stts" has one
    // entry (0 when sizes are in a table), else the table entry.
    LONG GetCurrentSampleSize() const;
    // Samples per chunk of the current chunk, from the sample-to-chunk table.
    LONG GetSamplesInCurrentChunk() const;
    // Absolute file offset of the current chunk; -1 once past the last chunk
    // or when the track has no chunk offsets.
    LONGLONG GetCurrentCO() const;
    LONG GetCurrentSampleIndex() const { return m_tables.currentSample; }
    LONG GetCurrentChunkIndex() const { return m_tables.currentChunk; }
    void AdvanceSamples(LONG count);
    void NextChunk();

    // The output pin serving this track; not owned.
    COutputPin* GetOutputPin() const { return m_outputPin; }
    void SetOutputPin(COutputPin* pin) { m_outputPin = pin; }

    // First timecode value of a timecode track.
    DWORD GetTimecodeStart() const { return m_timecodeStart; }
    void SetTimecodeStart(DWORD value) { m_timecodeStart = value; }

    // The sample pump's running stream time (100-ns units) and media position
    // (samples) for this track.
    LONGLONG GetNextStartTime() const { return m_nextStartTime; }
    void SetNextStartTime(LONGLONG time) { m_nextStartTime = time; }
    LONGLONG GetNextMediaPosition() const { return m_nextMediaPosition; }
    void SetNextMediaPosition(LONGLONG position) { m_nextMediaPosition = position; }

private:
    // Track walk (QTTrackWalk.cpp)
    HRESULT ParseTkhd(QTParser& reader);
    HRESULT ParseEdts(QTParser& reader);
    HRESULT ParseMdia(QTParser& reader);
    HRESULT ParseMdhd(QTParser& reader);
    HRESULT ParseMinf(QTParser& reader);
    HRESULT ParseVmhd(QTParser& reader);
    HRESULT ParseSmhd(QTParser& reader);
    HRESULT ParseGmhd(QTParser& reader);
    HRESULT ParseGmhdTmcd(QTParser& reader);
    HRESULT ParseDinf(QTParser& reader);
    HRESULT ParseDref(QTParser& reader);
    HRESULT ParseStbl(QTParser& reader);

    // Sample description (QTTrackSampleDescription.cpp)
    HRESULT ParseStsd(QTParser& reader);
    HRESULT ParseVideoDescription(QTParser& reader);
    HRESULT ParsePasp(QTParser& reader);
    HRESULT ParseSoundDescription(QTParser& reader);
    HRESULT ParseSoundVersion1(QTParser& reader);
    HRESULT ParseSoundVersion2(QTParser& reader);
    HRESULT ParseLittleEndianExtension(QTParser& reader);
    HRESULT ParseTimecodeDescription(QTParser& reader);

    // Sample tables (QTTrackSampleTables.cpp)
    HRESULT ParseStts(QTParser& reader);
    HRESULT ParseStsc(QTParser& reader);
    HRESULT ParseStsz(QTParser& reader);
    HRESULT ParseStco(QTParser& reader);
    HRESULT ParseCo64(QTParser& reader);
    HRESULT ParseChunkOffsets(QTParser& reader, bool wide);

    // Media type (QTTrackMediaType.cpp): the major type when the track is of
    // the kind, then its subtype; GUID_NULL otherwise.
    void SetMajorType(bool ofThisKind, const GUID& majorType, void (QTTrack::*setSubtype)());

    QTTrackKind m_kind = QTTrackKind::None;
    DWORD m_trackId = 0;
    DWORD m_mediaTimeScale = 0;
    QTSampleDescription m_description;
    QTVideoFormat m_video;
    QTSoundFormat m_sound;
    QTTimecodeFormat m_timecode;
    QTMediaType m_mediaType;
    QTSampleTables m_tables;
    COutputPin* m_outputPin = nullptr; // not owned
    DWORD m_timecodeStart = 0;
    LONGLONG m_nextStartTime = 0;     // 100-ns units
    LONGLONG m_nextMediaPosition = 0; // samples
};
