// IRZQTParserTracks: a private interface of the parser filter for qtgraph.
// It says which track of the movie each output pin streams and the buffer
// size the pin asks its allocator for, in plain numbers, so that a tool that
// reads the movie with its own quicktime/ code can pair pins and tracks
// whichever build of the module is registered. The filter answers
// QueryInterface for this IID and otherwise as it always has.
#pragma once

#include <unknwn.h>

// {86327BDD-8535-4048-939E-0E6B0B5F60D3}
inline constexpr IID IID_IRZQTParserTracks = {
    0x86327BDD, 0x8535, 0x4048, {0x93, 0x9E, 0x0E, 0x6B, 0x0B, 0x5F, 0x60, 0xD3}};

struct IRZQTParserTracks : public IUnknown
{
    // For output pin `pin` (0-based, in pin order): *track the 1-based index
    // in the movie of the track it streams, *bufferSize the buffer size it
    // asks for. E_POINTER for a null pointer, E_INVALIDARG for a pin that
    // does not exist or streams no track.
    virtual HRESULT STDMETHODCALLTYPE GetOutputPinTrack(LONG pin, LONG* track, LONG* bufferSize) = 0;
};
