// What qtgraph reports about a movie: header fields and one block of fields
// per track, independent of how it is printed. A new field is one entry in
// the track field table of MovieReport.cpp; both printers pick it up.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "quicktime/Movie.h"

struct ReportValue
{
    enum class Kind
    {
        Number,
        Bool, // in number: 0 false, else true
        Real,
        Text,
        Null,
    };
    Kind kind = Kind::Null;
    LONGLONG number = 0;
    double real = 0;
    std::string text; // UTF-8

    static ReportValue Number(LONGLONG value) { return {Kind::Number, value, 0, {}}; }
    static ReportValue Bool(bool value) { return {Kind::Bool, value ? 1 : 0, 0, {}}; }
    static ReportValue Real(double value) { return {Kind::Real, 0, value, {}}; }
    static ReportValue Text(std::string value) { return {Kind::Text, 0, 0, std::move(value)}; }
    static ReportValue Null() { return {}; }
};

// One JSON member.
struct ReportEntry
{
    const char* key;
    ReportValue value;
};

// A labelled value: a title and a text for people, one or more JSON members
// for programs (a frame size is one line of text but a width and a height).
struct ReportField
{
    const char* title;
    std::string text; // UTF-8
    std::vector<ReportEntry> entries;
};

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

// Fields of one number, or of one text, with the same text and JSON value.
ReportField NumberField(const char* title, const char* key, LONGLONG value);
ReportField TextField(const char* title, const char* key, std::string value);
// A GUID of a media type: shown by its platform name where it has one; in
// JSON always as the GUID under key, with the name (or null) under nameKey.
ReportField GuidField(const char* title, const char* key, const char* nameKey, const GUID& guid);
// Two numbers on one text line, "<a><separator><b>" ("720 x 480", "16:9"),
// two JSON members.
ReportField PairField(const char* title, const char* separator, const char* keyA, LONGLONG a, const char* keyB,
                      LONGLONG b);
// A number shown in hex in the text ("0x" and at least digits digits).
ReportField HexField(const char* title, const char* key, unsigned value, int digits);

// "video", "sound", "timecode" or "none".
const char* TrackKindName(QTTrackKind kind);

// The text form of a value: numbers in decimal, "yes" or "no", reals with up
// to 10 significant digits, "null" for no value.
std::string ReportText(const ReportValue& value);
