#include "tools/MovieCommands.h"

#include "filter/IRZQTParserTracks.h"
#include "framework/ComPtr.h"
#include "tools/ChunkReport.h"
#include "tools/FailureWords.h"
#include "tools/MovieCommand.h"
#include "tools/MovieFile.h"
#include "tools/MovieReport.h"
#include "tools/PinReport.h"

namespace
{
// The filter's output pins, each with the 1-based index of its track in the
// movie and its buffer size, from the filter's private interface.
struct PinTrack
{
    ComPtr<IPin> pin;
    LONG track = 0;
    LONG bufferSize = 0;
};

HRESULT PinTracks(CMovieGraph& graph, std::vector<PinTrack>* out)
{
    ComPtr<IRZQTParserTracks> tracks;
    HRESULT hr = graph.Parser()->QueryInterface(IID_IRZQTParserTracks, reinterpret_cast<void**>(tracks.ReleaseAndGetAddressOf()));
    if (FAILED(hr))
        return hr;
    const std::vector<ComPtr<IPin>> pins = graph.OutputPins();
    for (size_t n = 0; n < pins.size(); ++n)
    {
        // A pin that names no track is still reported; it has no chunks.
        PinTrack entry{pins[n]};
        if (FAILED(tracks->GetOutputPinTrack(static_cast<LONG>(n), &entry.track, &entry.bufferSize)))
            entry = PinTrack{pins[n]};
        out->push_back(entry);
    }
    return S_OK;
}

// What info and chunks do once the graph is connected: the filter's pins
// and qtgraph's own reading of the movie, the two paired by track index.
int OnPinsAndMovie(const QtGraphOptions& options, std::ostream& err,
                   const std::function<int(std::vector<PinTrack>&, CMovieFile&)>& command)
{
    return RunOnMovie(options.file, options.verbose, err, [&](CMovieGraph& graph, const CTeeJournal&) {
        std::vector<PinTrack> pins;
        HRESULT hr = PinTracks(graph, &pins);
        if (FAILED(hr))
        {
            err << "qtgraph: the registered QuickTime parser filter does not tell its pins' tracks: HRESULT "
                << HresultText(hr) << ": " << ResultWords(hr) << '\n';
            return 1;
        }
        CMovieFile movie;
        hr = movie.Open(options.file);
        if (FAILED(hr))
        {
            err << "qtgraph: cannot read the movie of " << options.file << ": HRESULT " << HresultText(hr) << ": "
                << ResultWords(hr) << '\n';
            return 1;
        }
        return command(pins, movie);
    });
}
} // namespace

int InfoCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return OnPinsAndMovie(options, err, [&](std::vector<PinTrack>& pins, CMovieFile& movie) {
        MovieReport report = BuildMovieReport(movie.Movie());
        for (size_t n = 0; n < pins.size(); ++n)
            report.pins.push_back(BuildPinReport(static_cast<int>(n), *pins[n].pin.Get(), pins[n].bufferSize));
        if (options.json)
            WriteReportJson(report, out);
        else
            WriteReportText(report, out);
        return 0;
    });
}

int ChunksCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return OnPinsAndMovie(options, err, [&](std::vector<PinTrack>& pins, CMovieFile& movie) {
        std::vector<QTTrack*> tracks;
        for (const PinTrack& pin : pins)
            if (QTTrack* track = movie.Movie().GetTrack(pin.track))
                tracks.push_back(track);
        WriteChunks(movie.Movie(), tracks, movie.FileLength(), options.json, out);
        return 0;
    });
}
