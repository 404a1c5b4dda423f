// Times QTMovie::ParseMovie over a file against libavformat's
// avformat_open_input on the same file: a movie with a million video frames
// (one per chunk, sizes in "stsz", offsets in "stco") and a PCM track.
//
//     bench_parse [--frames=N] [--keep=PATH] [Google Benchmark flags]
//
// Prints Google Benchmark's table, then both medians and their ratio (the
// target is a ratio of at most 0.5). Never run as a test.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchMovie.h"
#include "quicktime/FileByteSource.h"
#include "quicktime/QTMovie.h"

namespace
{
std::string g_moviePath;
LONG g_videoFrames = 0;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Opening the file is part of both timings: avformat_open_input opens it too.
void BM_ParseMovie(benchmark::State& state)
{
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        CFileByteSource source;
        if (FAILED(source.Open(g_moviePath)))
        {
            state.SkipWithError("cannot open the movie");
            return;
        }
        QTMovie movie(&source);
        const HRESULT hr = movie.ParseMovie();
        state.SetIterationTime(Seconds(start));
        // A parse that skipped the tables would look fast: check it read them.
        if (FAILED(hr) || movie.GetTrackCount() != 2 ||
            movie.GetTrack(1)->GetSampleTables().chunkCount != g_videoFrames)
        {
            state.SkipWithError("ParseMovie failed");
            return;
        }
    } // the movie's teardown is not timed
}

void BM_AvformatOpenInput(benchmark::State& state)
{
    for (auto _ : state)
    {
        AVFormatContext* context = nullptr;
        const Clock::time_point start = Clock::now();
        const int result = avformat_open_input(&context, g_moviePath.c_str(), nullptr, nullptr);
        state.SetIterationTime(Seconds(start));
        if (result < 0 || context->nb_streams != 2)
        {
            avformat_close_input(&context);
            state.SkipWithError("avformat_open_input failed");
            return;
        }
        avformat_close_input(&context);
    }
}

const char kParse[] = "BM_ParseMovie";
const char kAvformat[] = "BM_AvformatOpenInput";

BENCHMARK(BM_ParseMovie)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_AvformatOpenInput)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7);

// The console table, and the median of each benchmark kept for the ratio.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {} // no colours: the output often goes to a file

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }

    std::map<std::string, double> medians; // milliseconds
};

struct Options
{
    BenchMovieLayout layout;
    std::string keepPath; // empty: a temporary file, removed at the end
};

// Takes this program's own flags out of argv, leaving Google Benchmark's.
Options TakeOptions(int& argc, char** argv)
{
    Options options;
    int kept = 1;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg.rfind("--frames=", 0) == 0)
            options.layout.videoFrames = static_cast<uint32_t>(std::stoul(arg.substr(9)));
        else if (arg.rfind("--keep=", 0) == 0)
            options.keepPath = arg.substr(7);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return options;
}

std::string TemporaryPath()
{
    const std::string name = "qtp_bench_" + std::to_string(std::random_device{}()) + ".mov";
    return (std::filesystem::temp_directory_path() / name).string();
}
} // namespace

int main(int argc, char** argv)
{
    const Options options = TakeOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    g_moviePath = options.keepPath.empty() ? TemporaryPath() : options.keepPath;
    g_videoFrames = static_cast<LONG>(options.layout.videoFrames);
    const BenchMovie movie = MakeBenchMovie(options.layout);
    if (!WriteBenchMovie(g_moviePath, movie))
    {
        std::fprintf(stderr, "bench_parse: cannot write %s\n", g_moviePath.c_str());
        return 1;
    }
    std::printf("movie: %s, %u video frames, %zu bytes of \"moov\", %.2f GB of media data (sparse)\n",
                g_moviePath.c_str(), options.layout.videoFrames, movie.moov.size(), movie.mediaBytes / 1e9);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (options.keepPath.empty())
        std::filesystem::remove(g_moviePath);

    if (reporter.medians.count(kParse) && reporter.medians.count(kAvformat))
    {
        const double ours = reporter.medians[kParse], theirs = reporter.medians[kAvformat];
        std::printf("median ParseMovie %.2f ms, avformat_open_input %.2f ms, ratio %.3f (target at most 0.5)\n",
                    ours, theirs, ours / theirs);
    }
    return 0;
}
