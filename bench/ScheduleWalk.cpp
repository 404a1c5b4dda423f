#include "bench/ScheduleWalk.h"

#include <algorithm>

#include "quicktime/QTChunkSchedule.h"

HRESULT ParsedMovieFile::Open(const std::string& path)
{
    const HRESULT hr = m_source.Open(path);
    if (FAILED(hr))
        return hr;
    m_movie = std::make_unique<QTMovie>(&m_source);
    return m_movie->ParseMovie();
}

WalkTotals WalkSchedule(QTMovie& movie, std::vector<ByteRange>* ranges)
{
    std::vector<QTTrack*> tracks;
    const LONG pins = std::min(movie.GetDeclaredTrackCount(), movie.GetTrackCount());
    for (LONG index = 1; index <= pins; ++index)
        tracks.push_back(movie.GetTrack(index));

    WalkTotals totals;
    const auto read = [&](LONGLONG offset, LONG size) {
        ++totals.reads;
        totals.bytes += size;
        if (ranges)
            ranges->push_back({offset, size});
    };
    const QTChunkSchedule schedule(std::move(tracks));
    QTChunkStep step;
    while (schedule.Next(step) && step.action != QTChunkAction::Stop)
    {
        if (step.action == QTChunkAction::Sound)
        {
            read(step.offset, QTChunkSchedule::SoundBytes(step));
        }
        else if (step.action == QTChunkAction::Video)
        {
            QTChunkSample sample;
            for (QTVideoChunkSamples samples(step); samples.Next(sample);)
                if (sample.size >= 0) // the pump skips a frame of unknown size
                    read(sample.offset, sample.size);
        }
        QTChunkSchedule::Complete(step);
    }
    return totals;
}
