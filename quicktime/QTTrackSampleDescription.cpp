// The track's first sample description ("stsd"): data format and the video,
// sound or timecode parameters of the track's kind.
#include "quicktime/QTTrack.h"

HRESULT QTTrack::ParseStsd(QTParser& /*reader*/)
{
    // Not decoded yet: the track keeps the starting values of its
    // description, format and media type.
    return S_OK;
}
