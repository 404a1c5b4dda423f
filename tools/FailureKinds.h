// What qtgraph finds wrong with a movie file, or surprising in it, and the
// words it says it in. Every such message is one kind in the table of
// FailureKinds.cpp, so the text of a kind is written once; a finding carries
// the kind and the numbers its words quote. Both builds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/ReportFields.h"

enum class Severity
{
    Error,   // the filter refuses the movie, a run fails, or the file is damaged where the filter reads it
    Warning, // it plays, but not as the movie says
    Note,    // worth knowing; it plays as the movie says
};

enum class FailureKind
{
    FileMissing,
    PermissionDenied,
    NotAMovie,
    FileEndsBeforeMovie,
    MovieCutShort,
    AtomPastFile,
    AtomPastParent,
    AtomHeaderInvalid,
    MovieHeaderUnreadable,
    NoTracksDeclared,
    MovieTimeScaleZero,
    TracksMissing,
    TracksBeyondDeclared,
    TableTooLong,
    NoMediaType,
    TimecodeUnreadable,
    TimecodeWithoutChunk,
    TrackCutShort,
    VideoTimecodeScales,
    ChunkPastEnd,
    SoundChunkEmpty,
    SoundChunkUnsized,
    TablesDisagree,
    FrameRateFromScale,
    PixelAspectUnknown,
    PixelAspectOutsideTable,
    TrackTimeScale,
    Fragmented,
    ChunksOverlap,
};

// One number or text a finding's words quote, by the name they use.
struct FindingValue
{
    const char* name;
    ReportValue value;
};

struct Finding
{
    FailureKind kind;
    LONG track = 0;        // 1-based track in the movie's order; 0 for none
    std::string atom;      // the atom's path from the top ("moov/trak/mdia/minf/stbl/stco"); empty for none
    LONGLONG offset = -1;  // of the atom, bytes from the file's start; -1 for none
    std::vector<FindingValue> values;
};

Severity SeverityOf(FailureKind kind);
const char* SeverityName(Severity severity); // "error", "warning", "note"
// The kind's name in JSON ("movie-cut-short").
const char* KindName(FailureKind kind);
// The kind's words with the finding's numbers in them: numbers with
// thousands separators, texts as they are.
std::string FindingText(const Finding& finding);

// A four-character code as its characters, first the lowest byte; '?' for
// one that cannot be printed.
std::string CodeText(uint32_t code);

// 1234567 as "1,234,567".
std::string GroupedNumber(LONGLONG number);

// {"severity":...,"kind":...,"track":...,"atom":...,"offset":...,"message":...,"values":{...}}
void WriteFindingJson(const Finding& finding, std::ostream& out);
