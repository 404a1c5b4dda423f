#include "tools/ReportWriter.h"

#include <algorithm>
#include <cstdio>

namespace
{
std::string ToText(const ReportValue& value)
{
    return value.isNumber ? std::to_string(value.number) : value.text;
}

std::string ToJson(const ReportValue& value)
{
    return value.isNumber ? std::to_string(value.number) : JsonQuote(value.text);
}

void Pad(std::string& line, size_t width)
{
    line.append(width > line.size() ? width - line.size() : 0, ' ');
}

// One table line: cells padded to their column's width, right-aligned where
// the column holds numbers; no trailing blanks.
std::string TableLine(const std::vector<std::string>& cells, const std::vector<size_t>& widths,
                      const std::vector<bool>& rightAligned)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i)
    {
        if (i > 0)
            line += "  ";
        const size_t gap = widths[i] - cells[i].size();
        if (rightAligned[i])
            line.append(gap, ' ');
        line += cells[i];
        if (!rightAligned[i])
            line.append(gap, ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}
} // namespace

void WriteReportText(const MovieReport& report, std::ostream& out)
{
    size_t labelWidth = 0;
    for (const ReportField& field : report.header)
        labelWidth = std::max(labelWidth, std::string(field.title).size());
    for (const ReportField& field : report.header)
    {
        std::string line = field.title;
        Pad(line, labelWidth + 2);
        out << line << ToText(field.value) << '\n';
    }
    out << '\n';

    const size_t columns = report.columns.size();
    std::vector<std::string> titles;
    std::vector<size_t> widths;
    std::vector<bool> rightAligned;
    for (const ReportColumn& column : report.columns)
    {
        titles.push_back(column.title);
        widths.push_back(titles.back().size());
        rightAligned.push_back(true);
    }
    std::vector<std::vector<std::string>> cells;
    for (const std::vector<ReportValue>& row : report.rows)
    {
        cells.emplace_back();
        for (size_t i = 0; i < columns; ++i)
        {
            cells.back().push_back(ToText(row[i]));
            widths[i] = std::max(widths[i], cells.back().back().size());
            rightAligned[i] = rightAligned[i] && row[i].isNumber;
        }
    }
    out << TableLine(titles, widths, rightAligned) << '\n';
    for (const std::vector<std::string>& line : cells)
        out << TableLine(line, widths, rightAligned) << '\n';
}

void WriteReportJson(const MovieReport& report, std::ostream& out)
{
    out << '{';
    for (const ReportField& field : report.header)
        out << JsonQuote(field.key) << ':' << ToJson(field.value) << ',';
    out << "\"tracks\":[";
    for (size_t r = 0; r < report.rows.size(); ++r)
    {
        out << (r > 0 ? ",{" : "{");
        for (size_t i = 0; i < report.columns.size(); ++i)
            out << (i > 0 ? "," : "") << JsonQuote(report.columns[i].key) << ':' << ToJson(report.rows[r][i]);
        out << '}';
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
