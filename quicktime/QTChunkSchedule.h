// The order in which the sample pump reads a movie's media data, chunk by
// chunk. Among the tracks taking part (the pump's connected pins, in pin
// order), the next chunk is the one with the lowest file offset, the earlier
// track winning on equal offsets; timecode tracks never take part. The
// schedule works through the tracks' own navigation operations and moves
// their positions exactly as the pump does, so the pump and qtgraph's preview
// of it cannot disagree. Positions only move forward: a preview needs a
// freshly parsed movie.
//
//     QTChunkSchedule schedule(tracks);
//     QTChunkStep step;
//     while (schedule.Next(step) && step.action != QTChunkAction::Stop)
//     {
//         if (step.action == QTChunkAction::Video)
//             for (QTVideoChunkSamples samples(step); samples.Next(sample);) ... // read each sample
//         else if (step.action == QTChunkAction::Sound)
//             ... // read QTChunkSchedule::SoundBytes(step) bytes at step.offset
//         QTChunkSchedule::Complete(step);
//     }
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "quicktime/QTTrack.h"

enum class QTChunkAction
{
    Video, // one read per sample, sized by QTVideoChunkSamples
    Sound, // one read of SoundBytes at the chunk offset
    Skip,  // a track neither video nor sound: nothing is read, the chunk is passed
    Stop,  // a sound chunk without samples: the pump ends here, nothing is read
};

struct QTChunkStep
{
    size_t participant = 0;   // 0-based position of the track in the schedule's list
    QTTrack* track = nullptr; // not owned
    LONGLONG offset = 0;      // absolute file offset of the chunk
    LONG chunk = 0;           // 1-based chunk index in the track
    LONG channels = 1;        // the track's channel count (1 unless sound)
    LONG currentSampleSize = 0; // GetCurrentSampleSize, bytes (-1: unknown)
    LONG samples = 0;         // GetSamplesInCurrentChunk (-1: unknown)
    QTChunkAction action = QTChunkAction::Skip;
};

class QTChunkSchedule
{
public:
    // The tracks taking part, in pin order; not owned, must outlive the schedule.
    explicit QTChunkSchedule(std::vector<QTTrack*> tracks) : m_tracks(std::move(tracks)) {}

    // Chooses the next chunk and reads the chosen track's channel count,
    // current sample size and samples in the chunk, in that order. Moves no
    // position. False when no track has a chunk left.
    [[nodiscard]] bool Next(QTChunkStep& step) const;

    // Moves the chosen track past its chunk once it has been read: a video
    // track by the chunk's samples, then every track to its next chunk.
    static void Complete(const QTChunkStep& step);

    // Bytes of a sound chunk: channels x current sample size x samples; -1
    // when that is negative or does not fit a 32-bit length.
    static LONG SoundBytes(const QTChunkStep& step);

private:
    std::vector<QTTrack*> m_tracks; // not owned
};

// One video sample as the pump reads it.
struct QTChunkSample
{
    LONG number = 0;     // 1-based sample index in the track
    LONG size = 0;       // bytes; -1 when unknown: the sample is skipped, nothing is read
    LONGLONG offset = 0; // where it is read; a skipped sample takes no room
};

// The samples of a video chunk, in order: sizes through GetSampleSize from the
// track's current sample on, each read where the previous one ended. Offsets
// never overflow: a sample whose end cannot be represented is the last.
class QTVideoChunkSamples
{
public:
    // limit: a byte offset at which the walk stops (a listing passes the
    // file's length; the pump none, so that its read past the end fails).
    explicit QTVideoChunkSamples(const QTChunkStep& step, LONGLONG limit = INT64_MAX);
    bool Next(QTChunkSample& sample);
    // True when the walk stopped at the limit with samples left.
    bool StoppedAtLimit() const { return m_stoppedAtLimit; }

private:
    const QTTrack& m_track;
    LONG m_first;
    LONG m_count;
    LONG m_done = 0;
    LONGLONG m_position;
    LONGLONG m_limit;
    bool m_stoppedAtLimit = false;
};
