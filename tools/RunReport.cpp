#include "tools/RunReport.h"

#include <evcode.h>
#include <uuids.h>

#include <cstdio>

#include "tools/FailureWords.h"
#include "tools/ReportWriter.h"

namespace
{
constexpr size_t kLabelWidth = 13; // "end of stream"

ReportField NullField(const char* title, const char* key)
{
    return {title, "-", {{key, ReportValue::Null()}}};
}

ReportField TimeField(const char* title, const char* key, bool has, LONGLONG time)
{
    return has ? NumberField(title, key, time) : NullField(title, key);
}

ReportField Md5Field(bool hashed, const CMd5::Digest& digest)
{
    return hashed ? TextField("md5", "md5", CMd5::Hex(digest)) : NullField("md5", "md5");
}

std::vector<ReportField> PinFields(const RunPin& pin, const SinkStreamTotals& totals, bool ended, bool hashed)
{
    return {
        NumberField("pin", "index", pin.index),
        TextField("name", "name", pin.name),
        GuidField("major type", "major_type", "major_type_name", pin.majorType),
        GuidField("subtype", "subtype", "subtype_name", pin.subtype),
        NumberField("samples", "samples", totals.samples),
        NumberField("bytes", "bytes", totals.bytes),
        Md5Field(hashed, totals.md5),
        {"end of stream", ended ? "yes" : "no", {{"end_of_stream", ReportValue::Bool(ended)}}},
        TimeField("first start", "first_start", totals.hasFirstStart, totals.firstStart),
        TimeField("last stop", "last_stop", totals.hasLastStop, totals.lastStop),
    };
}

std::vector<ReportField> SampleFields(const SinkSampleRecord& s, bool hashed)
{
    return {
        NumberField("size", "size", s.size),
        TimeField("start", "start", s.hasStart, s.start),
        TimeField("stop", "stop", s.hasStop, s.stop),
        TimeField("media start", "media_start", s.hasMediaTime, s.mediaStart),
        TimeField("media stop", "media_stop", s.hasMediaTime, s.mediaStop),
        Md5Field(hashed, s.md5),
    };
}

// The graph's duration in 100-ns units; null when it gave none.
ReportField DurationField(const RunOutcome& outcome)
{
    if (!outcome.hasDuration)
        return NullField("duration", "duration");
    return {"duration",
            std::to_string(outcome.duration) + " (100-ns units)",
            {{"duration", ReportValue::Number(outcome.duration)}}};
}

const char* EventName(LONG code)
{
    switch (code)
    {
    case EC_COMPLETE: return "EC_COMPLETE";
    case EC_USERABORT: return "EC_USERABORT";
    case EC_ERRORABORT: return "EC_ERRORABORT";
    case EC_STREAM_ERROR_STOPPED: return "EC_STREAM_ERROR_STOPPED";
    case 0: return "none";
    default: return "other";
    }
}

// One line per sample under the pin's block: number, then the fields' text.
void WriteSampleTable(const std::vector<SinkSampleRecord>& samples, bool hashed, std::ostream& out)
{
    out << "    sample        size           start            stop   media start    media stop  md5\n";
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const std::vector<ReportField> f = SampleFields(samples[i], hashed);
        char line[160];
        std::snprintf(line, sizeof line, "%10zu  %10s  %14s  %14s  %12s  %12s  %s\n", i + 1, f[0].text.c_str(),
                      f[1].text.c_str(), f[2].text.c_str(), f[3].text.c_str(), f[4].text.c_str(), f[5].text.c_str());
        out << line;
    }
}

std::vector<ReportField> RunFields(const RunOutcome& outcome, const std::vector<RunPin>& pins, bool hashed)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f s", outcome.seconds);
    std::vector<ReportField> fields = {
        TextField("result", "result", HresultText(outcome.result)),
        TextField("end event", "end_event", EventName(outcome.endCode)),
        {"run time", seconds, {{"seconds", ReportValue::Real(outcome.seconds)}}},
        DurationField(outcome),
    };
    // A pin that received nothing: a track the movie holds but that did not
    // play. A timecode pin carries its value in its format, never samples.
    std::string empty;
    for (const RunPin& pin : pins)
        if (pin.sink->Records().Totals().samples == 0 && pin.majorType != MEDIATYPE_Timecode)
            empty += (empty.empty() ? "" : ", ") + std::to_string(pin.index);
    if (!empty.empty())
        fields.push_back({"empty pins", empty, {}});
    if (!hashed)
    {
        // Counting sinks cost next to nothing: the rate is the filter's own.
        LONGLONG bytes = 0, samples = 0;
        for (const RunPin& pin : pins)
        {
            const SinkStreamTotals totals = pin.sink->Records().Totals();
            bytes += totals.bytes;
            samples += totals.samples;
        }
        const double time = outcome.seconds > 0 ? outcome.seconds : 1e-9;
        char rate[64];
        std::snprintf(rate, sizeof rate, "%.1f MB/s, %.0f samples/s", static_cast<double>(bytes) / 1e6 / time,
                      static_cast<double>(samples) / time);
        fields.push_back({"rate", rate, {}});
    }
    return fields;
}

void WriteEventsJson(const std::vector<RunEvent>& events, std::ostream& out)
{
    out << "\"events\":[";
    for (size_t i = 0; i < events.size(); ++i)
        out << (i > 0 ? "," : "") << "{\"code\":" << events[i].code << ",\"param1\":" << events[i].param1
            << ",\"param2\":" << events[i].param2 << '}';
    out << ']';
}

void WritePinJson(const RunPin& pin, const RunReportOptions& options, std::ostream& out)
{
    const CSampleRecorder& records = pin.sink->Records();
    out << '{';
    WriteJsonMembers(PinFields(pin, records.Totals(), records.EndOfStreamCount() > 0, options.hashed), out);
    if (options.samples)
    {
        out << ",\"sample_list\":[";
        const std::vector<SinkSampleRecord> samples = records.Samples();
        for (size_t i = 0; i < samples.size(); ++i)
        {
            out << (i > 0 ? ",{" : "{");
            WriteJsonMembers(SampleFields(samples[i], options.hashed), out);
            out << '}';
        }
        out << ']';
    }
    out << '}';
}
} // namespace

void WriteRunReport(const RunOutcome& outcome, const std::vector<RunPin>& pins, const RunReportOptions& options,
                    std::ostream& out)
{
    const std::vector<ReportField> run = RunFields(outcome, pins, options.hashed);
    if (options.json)
    {
        out << '{';
        WriteJsonMembers(run, out);
        out << ',';
        WriteEventsJson(outcome.events, out);
        out << ",\"pins\":[";
        for (size_t i = 0; i < pins.size(); ++i)
        {
            out << (i > 0 ? "," : "");
            WritePinJson(pins[i], options, out);
        }
        out << "]}\n";
        return;
    }
    WriteTextFields(run, kLabelWidth, out);
    for (const RunPin& pin : pins)
    {
        const CSampleRecorder& records = pin.sink->Records();
        out << '\n';
        WriteTextFields(PinFields(pin, records.Totals(), records.EndOfStreamCount() > 0, options.hashed), kLabelWidth,
                        out);
        if (options.samples)
            WriteSampleTable(records.Samples(), options.hashed, out);
    }
}
