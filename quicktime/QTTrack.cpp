#include "quicktime/QTTrack.h"

QTTrack::QTTrack(QTParser& trakReader)
{
    // A broken track never fails the movie: it stays with what was read.
    (void)ParseTrak(trakReader);
}
