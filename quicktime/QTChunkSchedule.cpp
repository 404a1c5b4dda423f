#include "quicktime/QTChunkSchedule.h"

#include <uuids.h>

#include <cstdint>

bool QTChunkSchedule::Next(QTChunkStep& step) const
{
    LONGLONG best = INT64_MAX;
    size_t chosen = m_tracks.size();
    for (size_t i = 0; i < m_tracks.size(); ++i)
    {
        QTTrack* track = m_tracks[i];
        GUID major = GUID_NULL;
        track->GetMajorType(&major);
        if (major == MEDIATYPE_Timecode)
            continue; // a timecode pin carries its value in its format, no samples
        // A track whose chunks are used up, or that has none, reports -1.
        const LONGLONG offset = track->GetCurrentCO();
        if (offset > 0 && offset < best)
        {
            best = offset;
            chosen = i;
        }
    }
    if (chosen == m_tracks.size())
        return false;

    QTTrack* track = m_tracks[chosen];
    step.participant = chosen;
    step.track = track;
    step.offset = best;
    step.chunk = track->GetCurrentChunkIndex();
    step.channels = static_cast<LONG>(track->GetSoundFormat().channels);
    step.currentSampleSize = track->GetCurrentSampleSize();
    step.samples = track->GetSamplesInCurrentChunk();
    if (track->IsVideo())
        step.action = QTChunkAction::Video;
    else if (track->IsAudio())
        step.action = step.samples > 0 ? QTChunkAction::Sound : QTChunkAction::Stop;
    else
        step.action = QTChunkAction::Skip;
    return true;
}

void QTChunkSchedule::Complete(const QTChunkStep& step)
{
    if (step.action == QTChunkAction::Video)
        step.track->AdvanceSamples(step.samples);
    step.track->NextChunk();
}

LONG QTChunkSchedule::SoundBytes(const QTChunkStep& step)
{
    // |channels| < 2^16 and the other two factors are 32-bit: the first
    // product fits 64 bits, and a quotient check guards the second.
    const LONGLONG perSample = LONGLONG{step.channels} * step.currentSampleSize;
    const LONGLONG samples = step.samples;
    if (perSample < 0 || samples < 0 || (samples != 0 && perSample > INT32_MAX / samples))
        return -1;
    return static_cast<LONG>(perSample * samples);
}

QTVideoChunkSamples::QTVideoChunkSamples(const QTChunkStep& step, LONGLONG limit)
    : m_track(*step.track),
      m_first(step.track->GetCurrentSampleIndex()),
      m_count(step.samples),
      m_position(step.offset),
      m_limit(limit)
{
}

bool QTVideoChunkSamples::Next(QTChunkSample& sample)
{
    if (m_done >= m_count)
        return false;
    sample.number = static_cast<LONG>(static_cast<uint32_t>(m_first) + static_cast<uint32_t>(m_done));
    const QTSampleTables& tables = m_track.GetSampleTables();
    if (tables.sampleSize == 0 && sample.number < 0)
    {
        // Numbers below 0 (a current sample wrapped by chunks that claim
        // billions) have no entry in a size table: nothing is read for them,
        // so the walk goes straight on to sample 0, if the chunk reaches it.
        const LONGLONG toZero = -LONGLONG{sample.number};
        if (toZero >= LONGLONG{m_count} - m_done)
        {
            m_done = m_count;
            return false;
        }
        m_done += static_cast<LONG>(toZero);
        sample.number = 0;
    }
    const bool pastSizeTable =
        tables.sampleSize == 0 && sample.number > 0 && static_cast<size_t>(sample.number) > tables.sampleSizes.size();
    if (pastSizeTable || tables.sampleSize < 0)
    {
        // Every later sample's size is unknown too and nothing would be
        // read: a chunk that claims up to 2^31 samples must not cost 2^31
        // lookups.
        m_done = m_count;
        return false;
    }
    sample.size = m_track.GetSampleSize(sample.number);
    sample.offset = m_position;
    if (m_position >= m_limit)
    {
        m_stoppedAtLimit = true; // a listing stops where the file ends
        m_done = m_count;
        return false;
    }
    if (sample.size >= 0)
    {
        if (m_position > INT64_MAX - sample.size)
            m_done = m_count; // no later sample has an offset: this one is the last
        else
            m_position += sample.size;
    }
    ++m_done;
    return true;
}
