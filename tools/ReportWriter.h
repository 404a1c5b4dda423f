// Prints report fields: as aligned "title  value" lines for people, or as
// JSON members for programs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/ReportFields.h"

// Fields as "title  value" lines, values starting at column labelWidth + 2.
void WriteTextFields(const std::vector<ReportField>& fields, size_t labelWidth, std::ostream& out);
// The fields' JSON members, separated by commas, without braces.
void WriteJsonMembers(const std::vector<ReportField>& fields, std::ostream& out);

// text as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& text);
