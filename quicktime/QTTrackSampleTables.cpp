// The track's sample tables ("stts", "stsc", "stsz", "stco", "co64") and its
// position in them.
#include "quicktime/QTTrack.h"

// Not decoded yet: the track keeps empty tables, so it has no chunks.

HRESULT QTTrack::ParseStts(QTParser& /*reader*/)
{
    return S_OK;
}

HRESULT QTTrack::ParseStsc(QTParser& /*reader*/)
{
    return S_OK;
}

HRESULT QTTrack::ParseStsz(QTParser& /*reader*/)
{
    return S_OK;
}

HRESULT QTTrack::ParseStco(QTParser& /*reader*/)
{
    return S_OK;
}

HRESULT QTTrack::ParseCo64(QTParser& /*reader*/)
{
    return S_OK;
}
