#include "tools/ChunkReport.h"

#include <cstdio>
#include <vector>

#include "quicktime/QTChunkSchedule.h"

namespace
{
// One line of text, or one JSON object, per chunk read.
class ChunkWriter
{
public:
    ChunkWriter(bool json, std::ostream& out) : m_json(json), m_out(out)
    {
        m_out << (m_json ? "[" : "track  chunk        offset  samples  sizes\n");
    }

    // Starts a chunk; sizes follow one by one.
    void Begin(LONG track, const QTChunkStep& step)
    {
        if (m_json)
        {
            m_out << (m_chunks > 0 ? ",\n{" : "\n{") << "\"track\":" << track << ",\"chunk\":" << step.chunk
                  << ",\"offset\":" << step.offset << ",\"samples\":" << step.samples << ",\"sizes\":[";
        }
        else
        {
            char line[96];
            std::snprintf(line, sizeof line, "%5d  %5d  %12lld  %7d ", static_cast<int>(track),
                          static_cast<int>(step.chunk), static_cast<long long>(step.offset),
                          static_cast<int>(step.samples));
            m_out << line;
        }
        m_sizes = 0;
        ++m_chunks;
    }

    void Size(LONG size)
    {
        m_out << (m_json ? (m_sizes > 0 ? "," : "") : " ") << size;
        ++m_sizes;
    }

    void End() { m_out << (m_json ? "]}" : "\n"); }

    void FileEnds(LONG track, const QTChunkStep& step, LONGLONG fileLength)
    {
        if (!m_json)
            m_out << "stop: track " << track << " chunk " << step.chunk << " reads past the end of the file ("
                  << fileLength << " bytes); the pump fails there\n";
    }

    void Stopped(LONG track, const QTChunkStep& step)
    {
        if (!m_json)
            m_out << "stop: track " << track << " chunk " << step.chunk << " has " << step.samples
                  << " samples; the pump ends here\n";
    }

    void Finish() { m_out << (m_json ? (m_chunks > 0 ? "\n]\n" : "]\n") : ""); }

private:
    bool m_json;
    std::ostream& m_out;
    size_t m_chunks = 0;
    size_t m_sizes = 0;
};
} // namespace

void WriteChunks(const Movie& movie, std::vector<QTTrack*> tracks, LONGLONG fileLength, bool json, std::ostream& out)
{
    // The listing names a track by its place in the movie, as qtgraph info does.
    std::vector<LONG> indices;
    for (QTTrack* track : tracks)
    {
        LONG index = 1;
        while (index <= movie.GetTrackCount() && movie.GetTrack(index) != track)
            ++index;
        indices.push_back(index);
    }

    ChunkWriter writer(json, out);
    const QTChunkSchedule schedule(std::move(tracks));
    QTChunkStep step;
    while (schedule.Next(step))
    {
        const LONG track = indices.at(step.participant);
        if (step.action == QTChunkAction::Stop)
        {
            writer.Stopped(track, step);
            break;
        }
        if (step.action != QTChunkAction::Skip)
        {
            if (step.offset >= fileLength)
            {
                writer.FileEnds(track, step, fileLength);
                break;
            }
            writer.Begin(track, step);
            bool pastEnd = false;
            if (step.action == QTChunkAction::Sound)
            {
                writer.Size(QTChunkSchedule::SoundBytes(step));
            }
            else
            {
                QTChunkSample sample;
                QTVideoChunkSamples samples(step, fileLength);
                while (samples.Next(sample))
                    writer.Size(sample.size);
                pastEnd = samples.StoppedAtLimit();
            }
            writer.End();
            if (pastEnd)
            {
                writer.FileEnds(track, step, fileLength);
                break;
            }
        }
        QTChunkSchedule::Complete(step);
    }
    writer.Finish();
}
