// Stream discovery: what the filter learns from the movie when its input pin
// connects.
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>

#include "filter/RZQTFileParserTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "framework/FormatWide.h"
#include "pins/inpin.h"
#include "pins/outpin.h"
#include "quicktime/QTMovie.h"

namespace {

constexpr size_t kPinNameChars = 260; // MAX_PATH, terminator included

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

// Reads the timecode track's first value, a big-endian 32-bit number at its
// first chunk, and keeps it as the track's timecode start. A short read
// leaves the missing bytes zero, never a stale value. Returns the read's
// result; a failure is raised through the tracer.
HRESULT ReadTimecodeStartInto(CEntryPoint& tracer, CInputPin& input, QTTrack& track)
{
    if (track.GetSampleTables().sampleCount != 1)
        (void)tracer.LogMsg(L"Notice: QT Timecode trak isn't a single entry, using first value.");
    BYTE bytes[4] = {0, 0, 0, 0};
    const HRESULT hr = input.ReadOffset(bytes, track.GetCurrentCO(), sizeof bytes);
    tracer = hr;
    const DWORD value = (DWORD{bytes[0]} << 24) | (DWORD{bytes[1]} << 16) | (DWORD{bytes[2]} << 8) | bytes[3];
    DebugPrintW(L"dw swapped = 0x%x\n", value);
    track.SetTimecodeStart(value);
    return hr;
}

} // namespace

HRESULT CRZQTFileParser::ParseStreamDetails()
{
    CEntryPoint tracer(L"CRZQTFileParser::ParseStreamDetails");
    try
    {
        LONG videoTimeScale = -1;    // -1: no video track seen
        LONG timecodeTimeScale = -1; // -1: no timecode track seen
        if (!m_pMovie)
        {
            m_pMovie.reset(new (std::nothrow) QTMovie(m_pInputPin.get()));
            if (!m_pMovie)
                tracer = E_OUTOFMEMORY;
        }
        tracer = m_pMovie->ParseMovie();
        DebugPrintW(L"Tracks: V(%d) : A(%d) : Tc(%d)\n", m_pMovie->CountVideoTracks(), m_pMovie->CountAudioTracks(),
                    m_pMovie->CountTimecodeTracks());
        for (LONG i = 1; i <= m_pMovie->GetDeclaredTrackCount(); ++i)
        {
            QTTrack* track = m_pMovie->GetTrack(i);
            if (!track)
                break;
            GUID major = GUID_NULL;
            track->GetMajorType(&major);
            if (major == MEDIATYPE_Video)
                videoTimeScale = static_cast<LONG>(track->GetMediaTimeScale());
            if (major == MEDIATYPE_Timecode)
            {
                timecodeTimeScale = static_cast<LONG>(track->GetMediaTimeScale());
                tracer = ReadTimecodeStartInto(tracer, *m_pInputPin, *track);
            }
            const uint32_t code = track->GetSampleDescription().formatCode;
            const FourCCString codeText = track->GetFormatName();
            DebugPrintW(L"Track %d: 0x%x [%s] SSz = %d\n", i, code, codeText.c_str(),
                        track->GetSampleTables().maxSampleSize);
            wchar_t name[kPinNameChars];
            (void)FormatWide(name, kPinNameChars, L"%s stream-%x-%d", codeText.c_str(), code, track->GetTrackId());
            DebugPrintW(L"made szName\n");

            HRESULT hrPin = S_OK;
            std::unique_ptr<COutputPin> pin;
            try
            {
                pin.reset(new COutputPin(this, &hrPin, name, track));
            }
            catch (const std::bad_alloc&)
            {
                // The object or one of its members: either way out of memory.
            }
            if (!pin)
                tracer = E_OUTOFMEMORY;
            tracer = hrPin;
            DebugPrintW(L"OutputPin made szName %s\n", name);
            DebugPrintW(L"OutputPin made szName, SetMediaFormat worked %s\n", name);
            track->SetOutputPin(pin.get());
            const HRESULT hrFormat = pin->SetMediaFormat();
            if (FAILED(hrFormat))
                track->SetOutputPin(nullptr); // the pin goes with this failure
            tracer = hrFormat;
            // A pin the list cannot take is logged there and dropped here;
            // discovery goes on with the next track.
            if (FAILED(AddOutPin(pin.get())))
                track->SetOutputPin(nullptr);
            else
                (void)pin.release(); // the list owns it now
            DebugPrintW(L"OutputPin added OutPin %s\n", name);
        }
        if (videoTimeScale != -1 && timecodeTimeScale != -1 && videoTimeScale != timecodeTimeScale)
            QTP_RAISE(tracer, E_FAIL, L"ParseStreamDetails() video and timecode have mismatched time scales (%d, %d)",
                      videoTimeScale, timecodeTimeScale);
        m_llDurationSeconds = WholeSeconds(m_pMovie->GetDuration(), m_pMovie->GetTimeScale());
        m_llSourceLength = m_pInputPin->GetDuration();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

HRESULT CRZQTFileParser::AddOutPin(COutputPin* pin)
{
    CTraceEntry tracer(L"CRZQTFileParser::AddOutPin");
    try
    {
        if (!pin)
            tracer = E_INVALIDARG;
        CAutoLock lock(&m_csFilter);
        try
        {
            m_paOutputPins.reserve(m_paOutputPins.size() + 1);
        }
        catch (const std::bad_alloc&)
        {
            tracer = E_OUTOFMEMORY; // the list stays as it was
        }
        m_paOutputPins.emplace_back(pin); // cannot throw: the room is reserved
        IncrementPinVersion();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}
