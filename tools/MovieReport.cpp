#include "tools/MovieReport.h"

#include <cstdio>

#include "tools/MediaTypeNames.h"

namespace
{
ReportField Single(const char* title, const char* key, ReportValue value)
{
    std::string text = ReportText(value);
    return {title, std::move(text), {{key, std::move(value)}}};
}

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
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

std::string ReportText(const ReportValue& value)
{
    switch (value.kind)
    {
    case ReportValue::Kind::Number: return std::to_string(value.number);
    case ReportValue::Kind::Bool: return value.number ? "yes" : "no";
    case ReportValue::Kind::Text: return value.text;
    case ReportValue::Kind::Real:
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", value.real);
        return text;
    }
    case ReportValue::Kind::Null: break;
    }
    return "null";
}

ReportField NumberField(const char* title, const char* key, LONGLONG value)
{
    return Single(title, key, ReportValue::Number(value));
}

ReportField TextField(const char* title, const char* key, std::string value)
{
    return Single(title, key, ReportValue::Text(std::move(value)));
}

ReportField GuidField(const char* title, const char* key, const char* nameKey, const GUID& guid)
{
    const char* name = MediaGuidName(guid);
    const std::string text = GuidString(guid);
    return {title,
            name ? name : text,
            {{key, ReportValue::Text(text)}, {nameKey, name ? ReportValue::Text(name) : ReportValue::Null()}}};
}

ReportField PairField(const char* title, const char* separator, const char* keyA, LONGLONG a, const char* keyB,
                      LONGLONG b)
{
    return {title,
            std::to_string(a) + separator + std::to_string(b),
            {{keyA, ReportValue::Number(a)}, {keyB, ReportValue::Number(b)}}};
}

ReportField HexField(const char* title, const char* key, unsigned value, int digits)
{
    return {title, Hex(value, digits), {{key, ReportValue::Number(value)}}};
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
