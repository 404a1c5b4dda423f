// What qtgraph reports about a movie: header fields and one row per track,
// independent of how it is printed. A new column is one entry in the column
// table of MovieReport.cpp; both printers pick it up.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "quicktime/Movie.h"

struct ReportValue
{
    bool isNumber = true;
    LONGLONG number = 0;
    std::string text; // UTF-8

    static ReportValue Number(LONGLONG value) { return {true, value, {}}; }
    static ReportValue Text(std::string value) { return {false, 0, std::move(value)}; }
};

// A labelled value: title for people, key for JSON.
struct ReportField
{
    const char* title;
    const char* key;
    ReportValue value;
};

struct ReportColumn
{
    const char* title;
    const char* key;
};

struct MovieReport
{
    std::vector<ReportField> header;
    std::vector<ReportColumn> columns;
    std::vector<std::vector<ReportValue>> rows; // one per track, one value per column
};

MovieReport BuildMovieReport(const Movie& movie);

// "video", "sound", "timecode" or "none".
const char* TrackKindName(QTTrackKind kind);
