// What qtgraph reports about a movie: header fields and one block of fields
// per track, independent of how it is printed. A new field is one entry in
// the track field table of MovieReport.cpp; both printers pick it up.
#pragma once

#include <ostream>
#include <vector>

#include "quicktime/Movie.h"
#include "tools/ReportFields.h"

// An output pin: its own fields, then those of its format block, which JSON
// groups in one "format" object.
struct PinReport
{
    std::vector<ReportField> fields;
    std::vector<ReportField> format;
};

struct MovieReport
{
    std::vector<ReportField> header;
    std::vector<std::vector<ReportField>> tracks; // in movie order, the same fields for each
    std::vector<PinReport> pins;                  // in pin order
};

MovieReport BuildMovieReport(const Movie& movie);

// "video", "sound", "timecode" or "none".
const char* TrackKindName(QTTrackKind kind);

// Header fields as "title  value" lines, then for each track and then each
// pin a blank line and its fields the same way; values start in one column
// throughout.
void WriteReportText(const MovieReport& report, std::ostream& out);

// {"<header key>":value,...,"tracks":[{"<track key>":value,...},...],
//  "pins":[{"<pin key>":value,...,"format":{"<block key>":value,...}},...]}
void WriteReportJson(const MovieReport& report, std::ostream& out);
