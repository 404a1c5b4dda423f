#include "tools/MovieCheck.h"

#include <uuids.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <new>

#include "quicktime/FileByteSource.h"
#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTMovie.h"
#include "quicktime/QTTimes.h"
#include "tools/AtomSurvey.h"

namespace
{
// A frame rate that differs from the movie's by more than this share is
// not the rounding of a rate x 100 time scale (2997 for 30000/1001).
constexpr double kRateTolerance = 0.001;

// A chunk as the pump reads it: bytes [offset, end) of the file.
struct ChunkRange
{
    LONGLONG offset;
    LONGLONG end;
    LONG track; // 1-based
    LONG chunk; // 1-based
};

ReportValue Number(LONGLONG value)
{
    return ReportValue::Number(value);
}

ULONGLONG Gcd(ULONGLONG a, ULONGLONG b)
{
    while (b != 0)
        a = std::exchange(b, a % b);
    return a;
}

// "x:y" in lowest terms.
std::string Ratio(ULONGLONG x, ULONGLONG y)
{
    const ULONGLONG divisor = Gcd(x, y);
    if (divisor == 0)
        return "unknown";
    return std::to_string(x / divisor) + ":" + std::to_string(y / divisor);
}

// Samples the sample-to-chunk table places in chunkCount chunks.
ULONGLONG PlacedSamples(const QTSampleTables& tables)
{
    ULONGLONG placed = 0;
    const std::vector<QTSampleToChunk>& table = tables.sampleToChunk;
    for (size_t i = 0; i + 1 < table.size(); ++i) // the last entry ends the table
    {
        const LONGLONG end = LONGLONG{tables.chunkCount} + 1; // past the last chunk
        const LONGLONG first = std::max<LONGLONG>(table[i].firstChunk, 1);
        const LONGLONG next = std::min<LONGLONG>(i + 2 < table.size() ? table[i + 1].firstChunk : end, end);
        if (next > first && table[i].samplesPerChunk > 0)
            placed += static_cast<ULONGLONG>(next - first) * static_cast<ULONGLONG>(table[i].samplesPerChunk);
    }
    return placed;
}

class CMovieCheck
{
public:
    CMovieCheck(IByteSource& source, LONGLONG fileLength)
        : m_source(source), m_fileLength(fileLength), m_survey(SurveyMovie(source, fileLength))
    {
    }

    std::vector<Finding> Run();

private:
    void MovieHeader();
    void Tracks(const QTMovie& movie, LONG pinned);
    void Tables(const QTTrack& track, const SurveyedTrack& surveyed);
    void FrameRate(const QTTrack& track, const SurveyedTrack& surveyed);
    void PixelAspect(const QTTrack& track, const SurveyedTrack& surveyed);
    // The pump's walk over the chunks, as QTChunkSchedule makes it.
    void Chunks(const QTMovie& movie, LONG pinned);
    void Overlaps(std::vector<ChunkRange>& ranges);
    const SurveyedTrack* Surveyed(LONG index) const
    {
        return index >= 1 && static_cast<size_t>(index) <= m_survey.tracks.size()
                   ? &m_survey.tracks[static_cast<size_t>(index - 1)]
                   : nullptr;
    }
    void Add(FailureKind kind, LONG track, std::string atom, LONGLONG offset, std::vector<FindingValue> values)
    {
        m_findings.push_back({kind, track, std::move(atom), offset, std::move(values)});
    }

    IByteSource& m_source;
    LONGLONG m_fileLength;
    MovieSurvey m_survey;
    std::vector<Finding> m_findings;
};

std::vector<Finding> CMovieCheck::Run()
{
    m_findings = m_survey.findings;
    if (m_survey.moovOffset < 0)
        return m_findings;
    if (m_survey.fragments > 0)
        Add(FailureKind::Fragmented, 0, "moof", m_survey.firstFragment,
            {{"fragments", Number(static_cast<LONGLONG>(m_survey.fragments))}});
    QTMovie movie(&m_source);
    if (FAILED(movie.ParseMovie()) || !m_survey.mvhdRead)
    {
        MovieHeader();
        return m_findings;
    }
    if (movie.GetTimeScale() == 0)
        Add(FailureKind::MovieTimeScaleZero, 0, "moov/mvhd", m_survey.mvhdOffset, {});
    // Discovery offers a pin for each track up to the declared count.
    const LONG declared = movie.GetDeclaredTrackCount();
    const LONG found = movie.GetTrackCount();
    const LONG pinned = std::max<LONG>(0, std::min(declared, found));
    const std::vector<FindingValue> counts = {{"declared", Number(declared)},
                                              {"next_track_id", Number(m_survey.nextTrackId)},
                                              {"found", Number(found)}};
    // A header may declare more tracks than a whole movie holds (an editor
    // removed some); only a movie cut short loses them.
    if (found < declared && !m_survey.moovWhole)
        Add(FailureKind::TracksMissing, 0, "moov/mvhd", m_survey.mvhdOffset, counts);
    if (declared >= 0 && found > declared)
        Add(FailureKind::TracksBeyondDeclared, 0, "moov/mvhd", m_survey.mvhdOffset, counts);
    Tracks(movie, pinned);
    Chunks(movie, pinned);
    return m_findings;
}

void CMovieCheck::MovieHeader()
{
    if (!m_survey.mvhdRead)
        Add(FailureKind::MovieHeaderUnreadable, 0, "moov", m_survey.moovOffset, {});
    else if (m_survey.nextTrackId == 1)
        Add(FailureKind::NoTracksDeclared, 0, "moov/mvhd", m_survey.mvhdOffset, {});
}

void CMovieCheck::Tracks(const QTMovie& movie, LONG pinned)
{
    LONG videoTrack = 0, timecodeTrack = 0; // the last of each kind, as discovery compares them
    for (LONG index = 1; index <= pinned; ++index)
    {
        const QTTrack& track = *movie.GetTrack(index);
        const SurveyedTrack* surveyed = Surveyed(index);
        if (surveyed && surveyed->cut)
            continue; // what a cut track lacks is the cut, reported already
        if (track.GetKind() == QTTrackKind::None)
        {
            const uint32_t format = track.GetSampleDescription().formatCode;
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(format));
            Add(FailureKind::NoMediaType, index, "moov/trak", -1,
                {{"format", ReportValue::Text(CodeText(format))}, {"format_code", ReportValue::Text(code)}});
        }
        if (track.IsVideo())
            videoTrack = index;
        if (track.IsTimecode())
        {
            timecodeTrack = index;
            // Discovery reads the first value there; a short read leaves it 0.
            const LONGLONG offset = track.GetCurrentCO();
            if (offset < 0)
                Add(FailureKind::TimecodeWithoutChunk, index, "moov/trak", -1,
                    {{"chunks", Number(track.GetSampleTables().chunkCount)}});
            else if (offset >= m_fileLength)
                Add(FailureKind::TimecodeUnreadable, index, "moov/trak", -1,
                    {{"chunk_offset", Number(offset)}, {"file_length", Number(m_fileLength)}});
        }
        if (track.GetMediaTimeScale() != movie.GetTimeScale())
            Add(FailureKind::TrackTimeScale, index, "moov/trak", -1,
                {{"track_time_scale", Number(track.GetMediaTimeScale())},
                 {"movie_time_scale", Number(movie.GetTimeScale())}});
        if (surveyed)
        {
            Tables(track, *surveyed);
            FrameRate(track, *surveyed);
            PixelAspect(track, *surveyed);
        }
    }
    if (videoTrack > 0 && timecodeTrack > 0 &&
        movie.GetTrack(videoTrack)->GetMediaTimeScale() != movie.GetTrack(timecodeTrack)->GetMediaTimeScale())
        Add(FailureKind::VideoTimecodeScales, 0, "moov", m_survey.moovOffset,
            {{"video_track", Number(videoTrack)},
             {"video_time_scale", Number(movie.GetTrack(videoTrack)->GetMediaTimeScale())},
             {"timecode_track", Number(timecodeTrack)},
             {"timecode_time_scale", Number(movie.GetTrack(timecodeTrack)->GetMediaTimeScale())}});
}

void CMovieCheck::Tables(const QTTrack& track, const SurveyedTrack& surveyed)
{
    const QTSampleTables& tables = track.GetSampleTables();
    if (!surveyed.tablesWhole || track.IsTimecode())
        return;
    const ULONGLONG sized = static_cast<ULONGLONG>(static_cast<uint32_t>(tables.sampleCount));
    const ULONGLONG placed = PlacedSamples(tables);
    if (surveyed.timedSamples == sized && sized == placed)
        return;
    Add(FailureKind::TablesDisagree, surveyed.index, "moov/trak/mdia/minf/stbl", -1,
        {{"stts_samples", Number(static_cast<LONGLONG>(surveyed.timedSamples))},
         {"stsz_samples", Number(static_cast<LONGLONG>(sized))},
         {"stsc_samples", Number(static_cast<LONGLONG>(placed))},
         {"chunks", Number(tables.chunkCount)},
         {"chunk_table", ReportValue::Text(surveyed.chunkTable)}});
}

void CMovieCheck::FrameRate(const QTTrack& track, const SurveyedTrack& surveyed)
{
    const double filterRate = track.GetMediaType().frameRate;
    if (!track.IsVideo() || filterRate <= 0 || surveyed.commonDuration == 0)
        return;
    const double movieRate = static_cast<double>(track.GetMediaTimeScale()) / surveyed.commonDuration;
    if (std::fabs(filterRate - movieRate) <= kRateTolerance * movieRate)
        return;
    Add(FailureKind::FrameRateFromScale, surveyed.index, "moov/trak/mdia/mdhd", -1,
        {{"time_scale", Number(track.GetMediaTimeScale())},
         {"filter_rate", ReportValue::Real(filterRate)},
         {"duration", Number(surveyed.commonDuration)},
         {"movie_rate", ReportValue::Real(movieRate)},
         {"stamped_frame", Number(FrameDuration(filterRate))},
         {"movie_frame", Number(FrameDuration(movieRate))}});
}

void CMovieCheck::PixelAspect(const QTTrack& track, const SurveyedTrack& surveyed)
{
    const QTVideoFormat& video = track.GetVideoFormat();
    // A pair the filter knows gives the track its picture aspect.
    if (!track.IsVideo() || surveyed.paspOffset < 0 || video.pictureAspectX != 0)
        return;
    // The pin's default: interlaced 4:3 up to 720 pixels wide, else 16:9.
    const std::string pin = track.UsesInterlacedDefaults() ? "4:3" : "16:9";
    const std::string display = Ratio(ULONGLONG{video.width} * surveyed.hSpacing,
                                      ULONGLONG{video.height} * surveyed.vSpacing);
    Add(display == pin ? FailureKind::PixelAspectOutsideTable : FailureKind::PixelAspectUnknown, surveyed.index,
        "moov/trak/mdia/minf/stbl/stsd/pasp", surveyed.paspOffset,
        {{"h_spacing", Number(surveyed.hSpacing)},
         {"v_spacing", Number(surveyed.vSpacing)},
         {"movie_aspect", ReportValue::Text(display)},
         {"pin_aspect", ReportValue::Text(pin)}});
}

void CMovieCheck::Chunks(const QTMovie& movie, LONG pinned)
{
    std::vector<QTTrack*> tracks;
    LONGLONG chunksLeft = 0;
    for (LONG index = 1; index <= pinned; ++index)
    {
        tracks.push_back(movie.GetTrack(index));
        if (tracks.back()->IsVideo() || tracks.back()->IsAudio())
            chunksLeft += tracks.back()->GetSampleTables().chunkCount;
    }
    std::vector<ChunkRange> ranges;
    const QTChunkSchedule schedule(tracks);
    QTChunkStep step;
    while (schedule.Next(step))
    {
        const LONG track = static_cast<LONG>(step.participant) + 1;
        const std::vector<FindingValue> where = {{"chunk", Number(step.chunk)}, {"chunk_offset", Number(step.offset)}};
        if (step.action == QTChunkAction::Stop)
        {
            std::vector<FindingValue> values = where;
            values.push_back({"chunks_left", Number(chunksLeft)});
            Add(FailureKind::SoundChunkEmpty, track, "moov/trak/mdia/minf/stbl/stsc", -1, values);
            break;
        }
        --chunksLeft;
        LONGLONG bytes = -1;
        if (step.action == QTChunkAction::Sound)
        {
            bytes = QTChunkSchedule::SoundBytes(step);
            if (bytes < 0)
            {
                std::vector<FindingValue> values = where;
                values.insert(values.end(),
                              {{"samples", Number(step.samples)},
                               {"time_to_sample_entries", Number(step.track->GetSampleTables().timeToSampleCount)},
                               {"channels", Number(step.channels)},
                               {"sample_size", Number(step.track->GetSampleTables().sampleSize)}});
                Add(FailureKind::SoundChunkUnsized, track, "moov/trak/mdia/minf/stbl", -1, values);
                break; // the pump's sample cannot take it
            }
        }
        else if (step.action == QTChunkAction::Video)
        {
            // The sizes the chunk declares; the walk stops at the end of the size table.
            bytes = 0;
            QTVideoChunkSamples samples(step, INT64_MAX);
            QTChunkSample sample;
            while (samples.Next(sample) && bytes >= 0)
                bytes = sample.size > 0 && bytes <= INT64_MAX - sample.size ? bytes + sample.size : bytes;
        }
        if (bytes > 0)
        {
            const LONGLONG end = bytes > INT64_MAX - step.offset ? INT64_MAX : step.offset + bytes;
            if (end > m_fileLength)
            {
                std::vector<FindingValue> values = where;
                values.insert(values.end(), {{"bytes", Number(bytes)},
                                             {"chunk_end", Number(end)},
                                             {"file_length", Number(m_fileLength)}});
                Add(FailureKind::ChunkPastEnd, track, "moov/trak/mdia/minf/stbl", -1, values);
                break; // the pump's read fails there
            }
            ranges.push_back({step.offset, end, track, step.chunk});
        }
        QTChunkSchedule::Complete(step);
    }
    Overlaps(ranges);
}

void CMovieCheck::Overlaps(std::vector<ChunkRange>& ranges)
{
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const ChunkRange& a, const ChunkRange& b) { return a.offset < b.offset; });
    size_t overlaps = 0, reaching = 0; // reaching: the range that ends furthest so far
    const ChunkRange* first = nullptr;
    const ChunkRange* firstOther = nullptr;
    for (size_t i = 1; i < ranges.size(); ++i)
    {
        if (ranges[i].offset < ranges[reaching].end)
        {
            if (overlaps++ == 0)
            {
                first = &ranges[i];
                firstOther = &ranges[reaching];
            }
        }
        if (ranges[i].end > ranges[reaching].end)
            reaching = i;
    }
    if (overlaps == 0)
        return;
    Add(FailureKind::ChunksOverlap, first->track, "moov/trak/mdia/minf/stbl", -1,
        {{"chunk", Number(first->chunk)},
         {"chunk_offset", Number(first->offset)},
         {"bytes", Number(first->end - first->offset)},
         {"other_track", Number(firstOther->track)},
         {"other_chunk", Number(firstOther->chunk)},
         {"other_offset", Number(firstOther->offset)},
         {"overlaps", Number(static_cast<LONGLONG>(overlaps))}});
}
} // namespace

std::vector<Finding> CheckMovie(IByteSource& source, LONGLONG fileLength)
{
    std::vector<Finding> found;
    try
    {
        found = CMovieCheck(source, fileLength).Run();
    }
    catch (const std::bad_alloc&)
    {
        return found; // what could be checked in the memory there is
    }
    std::vector<Finding> ordered;
    for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Note})
    {
        const std::vector<Finding> some = FindingsOf(found, severity);
        ordered.insert(ordered.end(), some.begin(), some.end());
    }
    return ordered;
}

HRESULT CheckMovieFile(const std::string& path, std::vector<Finding>* findings)
{
    CFileByteSource source;
    const HRESULT hr = source.Open(path);
    if (FAILED(hr))
        return hr;
    *findings = CheckMovie(source, source.Size());
    return S_OK;
}

std::vector<Finding> FindingsOf(const std::vector<Finding>& findings, Severity severity)
{
    std::vector<Finding> some;
    for (const Finding& finding : findings)
        if (SeverityOf(finding.kind) == severity)
            some.push_back(finding);
    return some;
}
