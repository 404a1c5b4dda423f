// Prints a MovieReport: as an aligned table for people, or as one JSON object
// on one line for programs. Both end with a line feed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/MovieReport.h"

// Header fields as "title  value" lines, then for each track and then each
// pin a blank line and its fields the same way; values start in one column
// throughout.
void WriteReportText(const MovieReport& report, std::ostream& out);

// {"<header key>":value,...,"tracks":[{"<track key>":value,...},...],
//  "pins":[{"<pin key>":value,...,"format":{"<block key>":value,...}},...]}
void WriteReportJson(const MovieReport& report, std::ostream& out);

// Fields as "title  value" lines, values starting at column labelWidth + 2.
void WriteTextFields(const std::vector<ReportField>& fields, size_t labelWidth, std::ostream& out);
// The fields' JSON members, separated by commas, without braces.
void WriteJsonMembers(const std::vector<ReportField>& fields, std::ostream& out);

// text as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& text);
