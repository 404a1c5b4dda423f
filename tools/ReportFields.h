// A report as qtgraph prints it, independent of how: labelled fields, each
// with a text for people and JSON members for programs. Both builds.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

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

// The text form of a value: numbers in decimal, "yes" or "no", reals with up
// to 10 significant digits, "null" for no value.
std::string ReportText(const ReportValue& value);
