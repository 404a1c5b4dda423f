#include "tools/ChunkReport.h"

#include <algorithm>
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
    void Begin(size_t track, const QTChunkStep& step)
    {
        if (m_json)
        {
            m_out << (m_chunks > 0 ? ",\n{" : "\n{") << "\"track\":" << track << ",\"chunk\":" << step.chunk
                  << ",\"offset\":" << step.offset << ",\"samples\":" << step.samples << ",\"sizes\":[";
        }
        else
        {
            char line[96];
            std::snprintf(line, sizeof line, "%5zu  %5d  %12lld  %7d ", track, static_cast<int>(step.chunk),
                          static_cast<long long>(step.offset), static_cast<int>(step.samples));
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

    void Stopped(size_t track, const QTChunkStep& step)
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

void WriteChunks(Movie& movie, bool json, std::ostream& out)
{
    // Stream discovery makes a pin for each track up to the declared count,
    // in track order; those are the tracks the pump can serve.
    std::vector<QTTrack*> tracks;
    const LONG pins = std::min(movie.GetDeclaredTrackCount(), movie.GetTrackCount());
    for (LONG index = 1; index <= pins; ++index)
        tracks.push_back(movie.GetTrack(index));

    ChunkWriter writer(json, out);
    const QTChunkSchedule schedule(tracks);
    QTChunkStep step;
    while (schedule.Next(step))
    {
        const size_t track = step.participant + 1; // pins are in track order from track 1
        if (step.action == QTChunkAction::Stop)
        {
            writer.Stopped(track, step);
            break;
        }
        if (step.action != QTChunkAction::Skip)
        {
            writer.Begin(track, step);
            if (step.action == QTChunkAction::Sound)
            {
                writer.Size(QTChunkSchedule::SoundBytes(step));
            }
            else
            {
                QTChunkSample sample;
                for (QTVideoChunkSamples samples(step); samples.Next(sample);)
                    writer.Size(sample.size);
            }
            writer.End();
        }
        QTChunkSchedule::Complete(step);
    }
    writer.Finish();
}
