#include "tools/ReportFields.h"

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
} // namespace

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
