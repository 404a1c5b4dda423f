#include "tools/ReportWriter.h"

#include <cmath>
#include <cstdio>

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
