// Stream discovery: what the filter learns from the movie when its input pin
// connects.
#include <cstdint>
#include <new>
#include <stdexcept>

#include "filter/RZQTFileParserTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "pins/inpin.h"
#include "quicktime/QTMovie.h"

namespace {

// Movie duration (movie time-scale units) in whole seconds, as a 32-bit
// signed division truncating toward zero. A time scale of 0, or the one
// quotient that does not fit, is no number: it throws, and the method's
// catch-all turns it into E_FAIL, "Unknown error".
LONGLONG WholeSeconds(DWORD duration, DWORD timeScale)
{
    const LONG numerator = static_cast<LONG>(duration);
    const LONG denominator = static_cast<LONG>(timeScale);
    if (denominator == 0)
        throw std::domain_error("movie time scale is 0");
    if (denominator == -1 && numerator == INT32_MIN)
        throw std::overflow_error("movie duration in seconds does not fit");
    return numerator / denominator;
}

} // namespace

HRESULT CRZQTFileParser::ParseStreamDetails()
{
    CEntryPoint tracer(L"CRZQTFileParser::ParseStreamDetails");
    try
    {
        if (!m_pMovie)
        {
            m_pMovie.reset(new (std::nothrow) QTMovie(m_pInputPin.get()));
            if (!m_pMovie)
                tracer = E_OUTOFMEMORY;
        }
        tracer = m_pMovie->ParseMovie();
        DebugPrintW(L"Tracks: V(%d) : A(%d) : Tc(%d)\n", m_pMovie->CountVideoTracks(), m_pMovie->CountAudioTracks(),
                    m_pMovie->CountTimecodeTracks());
        m_llDurationSeconds = WholeSeconds(m_pMovie->GetDuration(), m_pMovie->GetTimeScale());
        m_llSourceLength = m_pInputPin->GetDuration();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}
