// The sample pump: the media data of every connected track, chunk by chunk in
// ascending file order, read straight into media samples that the pins'
// delivery threads pass on. Video goes out one frame per sample, sound one
// chunk per sample; timecode tracks carry no samples.
//
// The order of the chunks is QTChunkSchedule's, which qtgraph's chunk
// listing shares, so the listing shows exactly what the pump reads.
#include <stdexcept>

#include "filter/RZQTFileParserTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "pins/inpin.h"
#include "pins/outpin.h"
#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTTimes.h"

namespace
{
// a + b with the wrap of two's complement instead of an overflow: times
// summed over a hostile movie's chunks must not be undefined.
LONGLONG WrappingAdd(LONGLONG a, LONGLONG b)
{
    return static_cast<LONGLONG>(static_cast<ULONGLONG>(a) + static_cast<ULONGLONG>(b));
}

// One pump step's context: the chosen track, its pin and the source.
struct PumpChunk
{
    const QTChunkStep& step;
    QTTrack& track;
    COutputPin& pin;
    CInputPin& input;
    bool verbose;
};

// Video: one sample per frame, read where the previous frame ended. Frames are
// timed as if the rate were constant: frame n (1-based) starts at (n - 1) x D,
// D = 10,000,000 / frame rate. A track whose rate is unknown (0) gives its
// samples no stream times, only media times.
void PumpVideoChunk(CEntryPoint& tracer, const PumpChunk& chunk)
{
    const LONGLONG frame = FrameDuration(chunk.track.GetMediaType().frameRate);
    const int trackId = static_cast<int>(chunk.track.GetTrackId());
    QTChunkSample frameToRead;
    for (QTVideoChunkSamples samples(chunk.step); samples.Next(frameToRead);)
    {
        REFERENCE_TIME start = (LONGLONG{frameToRead.number} - 1) * frame;
        REFERENCE_TIME stop = start + frame;
        REFERENCE_TIME mediaStart = LONGLONG{frameToRead.number} - 1;
        REFERENCE_TIME mediaStop = frameToRead.number;
        if (frameToRead.size < 0)
            continue; // its size is unknown: nothing is read, nothing takes its room
        IMediaSample* empty = nullptr;
        const HRESULT got = chunk.pin.GetMediaSample(&empty);
        ComPtr<IMediaSample> sample = ComPtr<IMediaSample>::Attach(empty);
        if (FAILED(got) || !sample)
        {
            DebugPrintW(L"OH MY: GetMediaSample error on Video track-%d\n", trackId);
            QTP_RAISE(tracer, E_FAIL, L"GetMediaSample() for Video failed");
        }
        BYTE* buffer = nullptr;
        if (FAILED(sample->SetActualDataLength(frameToRead.size)) ||
            FAILED(frame > 0 ? sample->SetTime(&start, &stop) : sample->SetTime(nullptr, nullptr)) ||
            FAILED(sample->SetMediaTime(&mediaStart, &mediaStop)) || FAILED(sample->GetPointer(&buffer)))
        {
            DebugPrintW(L"OH MY: Set Delivery buffer error on Video track-%d\n", trackId);
            QTP_RAISE(tracer, E_FAIL, L"Set Delivery buffer for Video failed");
        }
        if (chunk.verbose)
            DebugPrintW(L"<<<  VWrite: 0x%I64x sz[%d] for track-%d contains %d samples, read(%d)\n",
                        frameToRead.offset, frameToRead.size, trackId, chunk.step.samples, frameToRead.size);
        const HRESULT read = chunk.input.ReadOffset(buffer, frameToRead.offset, frameToRead.size);
        tracer = read;
        if (read == S_FALSE)
        {
            DebugPrintW(L"OH MY: read error on Video track-%d\n", trackId);
            QTP_RAISE(tracer, E_FAIL, L"ReadOffset for Video failed");
        }
        tracer = chunk.pin.QueueSample(sample.Detach());
    }
}

// Sound: the whole chunk in one sample. Its duration is k x 10,000,000 /
// sample rate, truncated per chunk (the losses add up, as the times of the
// chunks are summed).
void PumpSoundChunk(CEntryPoint& tracer, const PumpChunk& chunk)
{
    QTTrack& track = chunk.track;
    const int trackId = static_cast<int>(track.GetTrackId());
    const LONG samples = chunk.step.samples;
    const LONG bytes = QTChunkSchedule::SoundBytes(chunk.step); // -1 when it does not fit
    const LONG rate = static_cast<LONG>(track.GetSoundFormat().sampleRate);
    if (rate == 0)
        throw std::domain_error("sound sample rate is 0"); // E_FAIL, "Unknown error"
    const LONGLONG duration = LONGLONG{samples} * kUnitsPerSecond / rate;
    REFERENCE_TIME start = track.GetNextStartTime();
    REFERENCE_TIME stop = WrappingAdd(start, duration);
    REFERENCE_TIME mediaStart = track.GetNextMediaPosition();
    REFERENCE_TIME mediaStop = WrappingAdd(mediaStart, samples);
    track.SetNextStartTime(stop);
    track.SetNextMediaPosition(mediaStop);

    IMediaSample* empty = nullptr;
    const HRESULT got = chunk.pin.GetMediaSample(&empty);
    ComPtr<IMediaSample> sample = ComPtr<IMediaSample>::Attach(empty);
    if (FAILED(got) || !sample || FAILED(sample->SetTime(&start, &stop)) ||
        FAILED(sample->SetMediaTime(&mediaStart, &mediaStop)))
    {
        DebugPrintW(L"OH MY: GetMediaSample error on Audio/Tc track-%d\n", trackId);
        QTP_RAISE(tracer, E_FAIL, L"GetMediaSample for Audio/TC failed");
    }
    BYTE* buffer = nullptr;
    if (FAILED(sample->SetActualDataLength(bytes)) || FAILED(sample->GetPointer(&buffer)))
    {
        DebugPrintW(L"OH MY: Set Delivery buffer error on Audio/Tc track-%d\n", trackId);
        QTP_RAISE(tracer, E_FAIL, L"Set Delivery buffer for Audio/TC() failed");
    }
    if (chunk.verbose)
        DebugPrintW(L"<<<  OWrite: 0x%I64x sz[%d] for track-%d contains %d samples, read(%d)\n", chunk.step.offset,
                    chunk.step.currentSampleSize, trackId, samples, bytes);
    const HRESULT read = chunk.input.ReadOffset(buffer, chunk.step.offset, bytes);
    tracer = read;
    if (read == S_FALSE)
    {
        DebugPrintW(L"OH MY: read error on Other track-%d\n", trackId);
        QTP_RAISE(tracer, E_FAIL, L"ReadOffset for Audio/TC() failed");
    }
    tracer = chunk.pin.QueueSample(sample.Detach());
}
} // namespace

HRESULT CRZQTFileParser::ParseTheMovie()
{
    CTraceEntry tracer(L"CRZQTFileParser::ParseTheMovie");
    // The tracks of the connected pins, in pin order; an unconnected pin's
    // track is not read at all.
    std::vector<QTTrack*> tracks;
    std::vector<COutputPin*> pins; // pins[i] serves tracks[i]
    for (COutputPin* pin : m_RunPins)
    {
        if (pin->IsConnected() && pin->GetTrack())
        {
            tracks.push_back(pin->GetTrack());
            pins.push_back(pin);
        }
    }
    const QTChunkSchedule schedule(std::move(tracks));

    for (LONGLONG iteration = 0;; ++iteration)
    {
        const bool verbose = iteration % 100 == 0;
        QTChunkStep step;
        if (!schedule.Next(step))
        {
            DebugPrintW(L"\nParseTheMovie is DONE!\n");
            return tracer.Result();
        }
        if (verbose)
            DebugPrintW(L"TestReader[%d] %d x %d SSz = %d\n", static_cast<int>(iteration), step.channels,
                        step.samples, step.currentSampleSize);
        const PumpChunk chunk{step, *step.track, *pins[step.participant], *m_pInputPin, verbose};
        switch (step.action)
        {
        case QTChunkAction::Video: PumpVideoChunk(tracer, chunk); break;
        case QTChunkAction::Sound: PumpSoundChunk(tracer, chunk); break;
        case QTChunkAction::Stop: return tracer.Result(); // a sound chunk without samples ends the pump
        case QTChunkAction::Skip: break;                  // a track neither video nor sound: nothing to read
        }
        QTChunkSchedule::Complete(step);
    }
}
