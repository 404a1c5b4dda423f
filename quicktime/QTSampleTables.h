// Where a track's media data lies: the sample tables of "stbl" and the
// track's position in them. The counts are those the file declares; a table
// that fails part-way keeps the entries read so far.
#pragma once

#include <windows.h>

#include <vector>

struct QTSampleToChunk
{
    LONG firstChunk = 0; // 1-based
    LONG samplesPerChunk = 0;
    LONG descriptionId = 0;
};

// Where the last sample-to-chunk lookup ended: the chunk asked for and the
// index of the first entry beyond it.
struct SampleToChunkCursor
{
    LONG chunk = 0;
    size_t next = 0;
};

struct QTSampleTables
{
    // Entries of "stts". Only their number is consulted (one entry means one
    // duration for all samples), so the pairs are read and traced but not kept.
    LONG timeToSampleCount = 0;

    // Followed by an end entry whose first chunk is 0x7FFFFFFF.
    std::vector<QTSampleToChunk> sampleToChunk;
    LONG sampleToChunkCount = 0;
    LONG maxSamplesPerChunk = 0;

    // Fixed sample size in bytes, 0 when the sizes are in sampleSizes; for a
    // sound track the bytes per sample of its description.
    LONG sampleSize = 0;
    LONG maxSampleSize = 0; // bytes
    bool fixedSize = false;
    LONG sampleCount = 0;
    std::vector<LONG> sampleSizes; // bytes, sample 1 first

    std::vector<ULONGLONG> chunkOffsets; // absolute file offsets, chunk 1 first
    LONG chunkCount = 0;

    LONG currentSample = 1; // 1-based index of the next sample
    LONG currentChunk = 0;  // 1-based index of the next chunk; 1 once offsets are read
    // Lookup state only, not part of the tables' value.
    mutable SampleToChunkCursor sampleToChunkCursor;
};
