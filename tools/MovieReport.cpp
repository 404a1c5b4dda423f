#include "tools/MovieReport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tools/ReportWriter.h"

namespace
{
ReportField Single(const char* title, const char* key, ReportValue value)
{
    std::string text = ReportText(value);
    return {title, std::move(text), {{key, std::move(value)}}};
}

// The four data-format characters as UTF-8 (each byte one character, as the
// platform shows a four-character code; a zero byte ends the name).
std::string FormatName(const QTTrack& track)
{
    std::string name;
    const FourCCString wide = track.GetFormatName();
    for (const wchar_t* c = wide.c_str(); *c; ++c)
    {
        const unsigned code = static_cast<unsigned>(*c);
        if (code < 0x80)
        {
            name += static_cast<char>(code);
        }
        else
        {
            name += static_cast<char>(0xC0 | (code >> 6));
            name += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return name;
}

using TrackField = ReportField (*)(LONG index, const QTTrack& track); // index is 1-based

const TrackField kTrackFields[] = {
    [](LONG index, const QTTrack&) { return NumberField("index", "index", index); },
    [](LONG, const QTTrack& t) { return NumberField("id", "id", t.GetTrackId()); },
    [](LONG, const QTTrack& t) { return TextField("kind", "kind", TrackKindName(t.GetKind())); },
    [](LONG, const QTTrack& t) { return NumberField("media time scale", "media_time_scale", t.GetMediaTimeScale()); },
    [](LONG, const QTTrack& t) {
        const std::string name = FormatName(t);
        return ReportField{"format", "'" + name + "'", {{"format", ReportValue::Text(name)}}};
    },
    [](LONG, const QTTrack& t) {
        const uint32_t code = t.GetSampleDescription().formatCode;
        return HexField("format code", "format_code", code, 8);
    },
    [](LONG, const QTTrack& t) {
        const QTVideoFormat& v = t.GetVideoFormat();
        return PairField("frame size", " x ", "width", v.width, "height", v.height);
    },
    [](LONG, const QTTrack& t) {
        const QTVideoFormat& v = t.GetVideoFormat();
        return PairField("picture aspect", ":", "aspect_x", v.pictureAspectX, "aspect_y", v.pictureAspectY);
    },
    [](LONG, const QTTrack& t) { return NumberField("channels", "channels", t.GetSoundFormat().channels); },
    [](LONG, const QTTrack& t) {
        return NumberField("bytes per sample", "bytes_per_sample", t.GetSoundFormat().bytesPerSample);
    },
    [](LONG, const QTTrack& t) { return NumberField("sample rate", "sample_rate", t.GetSoundFormat().sampleRate); },
    [](LONG, const QTTrack& t) {
        const DWORD flags = t.GetTimecodeFormat().flags;
        return HexField("timecode flags", "timecode_flags", flags, 1);
    },
    [](LONG, const QTTrack& t) {
        return NumberField("timecode frame duration", "timecode_frame_duration", t.GetTimecodeFormat().frameDuration);
    },
    [](LONG, const QTTrack& t) {
        return NumberField("timecode frame count", "timecode_frame_count", t.GetTimecodeFormat().frameCount);
    },
    [](LONG, const QTTrack& t) {
        return GuidField("major type", "major_type", "major_type_name", t.GetMediaType().majorType);
    },
    [](LONG, const QTTrack& t) { return GuidField("subtype", "subtype", "subtype_name", t.GetMediaType().subtype); },
    [](LONG, const QTTrack& t) { return Single("frame rate", "frame_rate", ReportValue::Real(t.GetMediaType().frameRate)); },
    [](LONG, const QTTrack& t) {
        const DWORD rate = t.GetMediaType().bitRate;
        return ReportField{"bit rate", std::to_string(rate) + " Mbit/s", {{"bit_rate", ReportValue::Number(rate)}}};
    },
    [](LONG, const QTTrack& t) { return NumberField("sample count", "sample_count", t.GetSampleTables().sampleCount); },
    [](LONG, const QTTrack& t) { return NumberField("sample size", "sample_size", t.GetSampleTables().sampleSize); },
    [](LONG, const QTTrack& t) {
        return NumberField("max sample size", "max_sample_size", t.GetSampleTables().maxSampleSize);
    },
    [](LONG, const QTTrack& t) { return NumberField("chunk count", "chunk_count", t.GetSampleTables().chunkCount); },
    [](LONG, const QTTrack& t) {
        return NumberField("max samples per chunk", "max_samples_per_chunk", t.GetSampleTables().maxSamplesPerChunk);
    },
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
        NumberField("time scale", "time_scale", movie.GetTimeScale()),
        NumberField("duration", "duration", movie.GetDuration()),
        NumberField("declared track count", "declared_track_count", movie.GetDeclaredTrackCount()),
    };
    for (LONG index = 1; index <= movie.GetTrackCount(); ++index)
    {
        const QTTrack& track = *movie.GetTrack(index);
        std::vector<ReportField> fields;
        for (const TrackField field : kTrackFields)
            fields.push_back(field(index, track));
        report.tracks.push_back(std::move(fields));
    }
    return report;
}

void WriteReportText(const MovieReport& report, std::ostream& out)
{
    size_t labelWidth = 0;
    const auto widen = [&](const std::vector<ReportField>& fields) {
        for (const ReportField& field : fields)
            labelWidth = std::max(labelWidth, std::strlen(field.title));
    };
    widen(report.header);
    for (const std::vector<ReportField>& track : report.tracks)
        widen(track);
    for (const PinReport& pin : report.pins)
    {
        widen(pin.fields);
        widen(pin.format);
    }
    WriteTextFields(report.header, labelWidth, out);
    for (const std::vector<ReportField>& track : report.tracks)
    {
        out << '\n';
        WriteTextFields(track, labelWidth, out);
    }
    for (const PinReport& pin : report.pins)
    {
        out << '\n';
        WriteTextFields(pin.fields, labelWidth, out);
        WriteTextFields(pin.format, labelWidth, out);
    }
}

void WriteReportJson(const MovieReport& report, std::ostream& out)
{
    out << '{';
    WriteJsonMembers(report.header, out);
    out << (report.header.empty() ? "" : ",") << "\"tracks\":[";
    for (size_t t = 0; t < report.tracks.size(); ++t)
    {
        out << (t > 0 ? ",{" : "{");
        WriteJsonMembers(report.tracks[t], out);
        out << '}';
    }
    out << "],\"pins\":[";
    for (size_t p = 0; p < report.pins.size(); ++p)
    {
        out << (p > 0 ? ",{" : "{");
        WriteJsonMembers(report.pins[p].fields, out);
        out << (report.pins[p].fields.empty() ? "" : ",") << "\"format\":{";
        WriteJsonMembers(report.pins[p].format, out);
        out << "}}";
    }
    out << "]}\n";
}
