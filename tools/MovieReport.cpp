#include "tools/MovieReport.h"

namespace
{
struct TrackColumn
{
    ReportColumn column;
    ReportValue (*value)(LONG index, const QTTrack& track); // index is 1-based
};

const TrackColumn kTrackColumns[] = {
    {{"index", "index"}, [](LONG index, const QTTrack&) { return ReportValue::Number(index); }},
    {{"id", "id"}, [](LONG, const QTTrack& t) { return ReportValue::Number(t.GetTrackId()); }},
    {{"kind", "kind"}, [](LONG, const QTTrack& t) { return ReportValue::Text(TrackKindName(t.GetKind())); }},
    {{"media time scale", "media_time_scale"},
     [](LONG, const QTTrack& t) { return ReportValue::Number(t.GetMediaTimeScale()); }},
};
} // namespace

const char* TrackKindName(QTTrackKind kind)
{
    switch (kind)
    {
    case QTTrackKind::Video: return "video";
    case QTTrackKind::Sound: return "sound";
    case QTTrackKind::Timecode: return "timecode";
    case QTTrackKind::None: break;
    }
    return "none";
}

MovieReport BuildMovieReport(const Movie& movie)
{
    MovieReport report;
    report.header = {
        {"time scale", "time_scale", ReportValue::Number(movie.GetTimeScale())},
        {"duration", "duration", ReportValue::Number(movie.GetDuration())},
        {"declared track count", "declared_track_count", ReportValue::Number(movie.GetDeclaredTrackCount())},
    };
    for (const TrackColumn& c : kTrackColumns)
        report.columns.push_back(c.column);
    for (LONG index = 1; index <= movie.GetTrackCount(); ++index)
    {
        const QTTrack& track = *movie.GetTrack(index);
        std::vector<ReportValue> row;
        for (const TrackColumn& c : kTrackColumns)
            row.push_back(c.value(index, track));
        report.rows.push_back(std::move(row));
    }
    return report;
}
