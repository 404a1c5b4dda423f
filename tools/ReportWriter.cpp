#include "tools/ReportWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
std::string ToJson(const ReportValue& value)
{
    switch (value.kind)
    {
    case ReportValue::Kind::Text: return JsonQuote(value.text);
    case ReportValue::Kind::Real: return std::isfinite(value.real) ? ReportText(value) : "null";
    case ReportValue::Kind::Bool: return value.number ? "true" : "false";
    case ReportValue::Kind::Number:
    case ReportValue::Kind::Null: break;
    }
    return ReportText(value);
}

} // namespace

void WriteTextFields(const std::vector<ReportField>& fields, size_t labelWidth, std::ostream& out)
{
    for (const ReportField& field : fields)
    {
        std::string line = field.title;
        line.append(labelWidth + 2 - line.size(), ' ');
        out << line << field.text << '\n';
    }
}

void WriteJsonMembers(const std::vector<ReportField>& fields, std::ostream& out)
{
    const char* separator = "";
    for (const ReportField& field : fields)
    {
        for (const ReportEntry& entry : field.entries)
        {
            out << separator << JsonQuote(entry.key) << ':' << ToJson(entry.value);
            separator = ",";
        }
    }
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

std::string JsonQuote(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        switch (c)
        {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
            {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                quoted += escape;
            }
            else
            {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}
