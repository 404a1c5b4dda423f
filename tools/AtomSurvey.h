// qtgraph's own walk over a movie file's atoms with the parser's atom reader
// (quicktime/QTParser): where each atom lies against its parent and the
// file, which tables declare more entries than their atoms hold, and the few
// facts the filter reads but does not keep (the time-to-sample durations,
// the pixel aspect pair, movie fragments). It follows the atoms the filter
// reads: the top level, then "moov" and in each "trak" the path down to "stbl".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "quicktime/IByteSource.h"
#include "tools/FailureKinds.h"

struct SurveyedTrack
{
    LONG index = 0; // 1-based, in "trak" order
    bool cut = false;   // its "trak" atom runs past the end of the file
    bool video = false; // holds "vmhd"
    bool sound = false; // holds "smhd"
    // True when "stts", "stsc", "stsz" and a chunk offset table were all
    // found and each holds the entries it declares.
    bool tablesWhole = false;
    int tablesFound = 0;           // of those four
    bool tableTooLong = false;
    ULONGLONG timedSamples = 0;    // samples "stts" gives durations for
    uint32_t commonDuration = 0;   // the duration most samples have (media time scale units); 0 for none
    LONGLONG paspOffset = -1;      // of "pasp" in the first video description; -1 for none
    uint32_t hSpacing = 0, vSpacing = 0;
    const char* chunkTable = "stco"; // the last chunk offset table read
};

struct MovieSurvey
{
    LONGLONG fileLength = 0;
    LONGLONG moovOffset = -1; // the first top-level "moov"; -1 for none
    LONGLONG moovSize = 0;    // declared
    // True when the walk of "moov" reached its end: it lies within the file
    // and no header in it was invalid.
    bool moovWhole = false;
    LONGLONG mvhdOffset = -1;
    bool mvhdRead = false;
    uint32_t nextTrackId = 0;
    std::vector<SurveyedTrack> tracks;
    size_t fragments = 0; // top-level "moof" atoms
    LONGLONG firstFragment = -1;
    // What the walk found wrong with the atoms themselves.
    std::vector<Finding> findings;
};

MovieSurvey SurveyMovie(IByteSource& source, LONGLONG fileLength);
