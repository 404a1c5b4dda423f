// Times the sample pump against the plainest way to read the same bytes and
// against libavformat, on the same files and the same sample offsets:
//
//   filter       file source -> parser filter -> a counting sink on every pin
//   pread        one pread per video frame / sound chunk at the pump's offsets
//   merged       the same, reads that lie back to back merged up to 1 MiB and
//                each sample copied out (a reference: not one of the targets)
//   libavformat  avformat_open_input, then av_read_frame until the end
//
// over (a) an NTSC DV movie of about 2 GB (120,000-byte frames, each followed
// by a PCM sound chunk) and (b) the parse benchmark's movie of a million
// small frames; then checks that the schedule walk ("qtgraph chunks") and
// the pump of a movie twice as long take twice as long.
//
//     bench_pump [--dir=PATH] [--dv-gb=2] [--tiny-frames=1000000]
//                [--doubling-frames=20000] [--runs=5] [--only=dv,tiny,doubling]
//                [--drop-caches] [--make-only]
//
// --make-only writes the movies (into --dir) and measures nothing: for
// bench/wine_pump.sh, which plays them with qtgraph natively and under Wine.
//
// Not a test, and never run as one: CI only builds it. A plain main with its
// own medians rather than Google Benchmark: every pass runs in a fresh
// process (for its peak resident memory; bench_pump_pass, beside this
// program, runs all but libavformat's) and the comparisons need the kinds
// of pass taken in turns on one file, neither of which its fixture model
// offers.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchMovie.h"
#include "bench/ChildPass.h"
#include "bench/InterleavedMovie.h"
#include "bench/PageCache.h"

namespace
{
struct Options
{
    std::string dir = "/tmp/qtp_bench_pump";
    double dvGigabytes = 2;
    uint32_t tinyFrames = 1000000;
    // Small enough that both movies' tables stay in the cache: past about
    // 50,000 frames the walk's time per chunk grows with the tables' size
    // on this kind of machine, while its instructions per chunk do not.
    uint32_t doublingFrames = 20000;
    int runs = 5;
    std::string only = "dv,tiny,doubling";
    bool dropCaches = false;
    bool makeOnly = false;
};

// A doubling movie's frames are small, so that a cost per chunk that grows
// with the movie is not hidden behind copying frame data.
constexpr uint32_t kDoublingFrameBytes = 1000;

Options ParseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const auto value = [&](const char* name) {
            const std::string prefix = std::string(name) + "=";
            return arg.rfind(prefix, 0) == 0 ? arg.substr(prefix.size()) : std::string();
        };
        if (!value("--dir").empty())
            o.dir = value("--dir");
        else if (!value("--dv-gb").empty())
            o.dvGigabytes = std::stod(value("--dv-gb"));
        else if (!value("--tiny-frames").empty())
            o.tinyFrames = static_cast<uint32_t>(std::stoul(value("--tiny-frames")));
        else if (!value("--doubling-frames").empty())
            o.doublingFrames = static_cast<uint32_t>(std::stoul(value("--doubling-frames")));
        else if (!value("--runs").empty())
            o.runs = std::max(1, std::stoi(value("--runs")));
        else if (!value("--only").empty())
            o.only = value("--only");
        else if (arg == "--drop-caches")
            o.dropCaches = true;
        else if (arg == "--make-only")
            o.makeOnly = true;
        else
            throw std::invalid_argument("unknown argument " + arg);
    }
    return o;
}

bool Wanted(const Options& o, const std::string& part)
{
    return ("," + o.only + ",").find("," + part + ",") != std::string::npos;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string LoadAverage()
{
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    load >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Writes the movie unless a file of its exact size is there already.
std::string EnsureMovie(const Options& o, const std::string& name, const BenchMovie& movie)
{
    const std::string path = (std::filesystem::path(o.dir) / name).string();
    std::error_code error;
    if (std::filesystem::file_size(path, error) == movie.FileSize() && !error)
    {
        std::printf("movie %s: reused (%.3f GB)\n", path.c_str(), movie.FileSize() / 1e9);
        return path;
    }
    std::printf("movie %s: writing %.3f GB ...\n", path.c_str(), movie.FileSize() / 1e9);
    std::fflush(stdout);
    if (!WriteBenchMovie(path, movie, BenchMediaData::Written))
        throw std::runtime_error("cannot write " + path);
    return path;
}

// Every pass of a kind, in the order run.
struct PassRuns
{
    std::vector<ChildReport> reports;

    double MedianSeconds() const
    {
        std::vector<double> seconds;
        for (const ChildReport& r : reports)
            seconds.push_back(r.pass.seconds);
        return Median(seconds);
    }
    double FastestSeconds() const
    {
        double fastest = reports.front().pass.seconds;
        for (const ChildReport& r : reports)
            fastest = std::min(fastest, r.pass.seconds);
        return fastest;
    }
    const PassResult& Last() const { return reports.back().pass; }
    double MegabytesPerSecond() const { return Last().bytes / 1e6 / MedianSeconds(); }
    double SamplesPerSecond() const { return Last().samples / MedianSeconds(); }
    // The median over the runs of a figure per sample of each run.
    double MedianPerSample(double (*figure)(const PassResult&)) const
    {
        std::vector<double> values;
        for (const ChildReport& r : reports)
            values.push_back(r.pass.samples > 0 ? figure(r.pass) / static_cast<double>(r.pass.samples) : 0);
        return Median(values);
    }
    long PeakKiB() const
    {
        long peak = 0;
        for (const ChildReport& r : reports)
            peak = std::max(peak, r.peakKiB);
        return peak;
    }
};

// Before the passes: either every page of the file cached, or none.
void PrepareCache(const Options& o, const std::string& path)
{
    if (o.dropCaches)
    {
        if (!DropPageCache())
            throw std::runtime_error("--drop-caches: cannot write /proc/sys/vm/drop_caches (needs root)");
        return;
    }
    if (!WarmPageCache(path))
        throw std::runtime_error("cannot read " + path);
}

// Runs the kinds in turns, runs times, each in a fresh process.
std::map<std::string, PassRuns> RunInTurns(const Options& o, const std::vector<std::string>& paths,
                                           const std::vector<std::string>& kinds)
{
    std::map<std::string, PassRuns> runs;
    for (int round = 0; round < o.runs; ++round)
        for (const std::string& path : paths)
            for (const std::string& kind : kinds)
            {
                // Again before every pass: a machine that pages cold memory
                // out (DAMON's pageout, say) evicts part of a cached movie
                // between passes, and the next pass would read it from disk.
                PrepareCache(o, path);
                runs[path + "|" + kind].reports.push_back(RunPassInChild(kind, path));
            }
    return runs;
}

void PrintCacheState(const Options& o, const std::string& path)
{
    if (o.dropCaches)
        std::printf("  page cache: dropped before every pass; each pass reads the file from disk\n");
    else
        std::printf("  page cache: the file was read through before every pass and %.0f%% of it is cached now:\n"
                    "  every pass reads it from memory, the same cached file for all of them\n",
                    100 * CachedShare(path));
}

void PrintPass(const char* label, const PassRuns& runs, const char* unit)
{
    const PassResult& last = runs.Last();
    const ChildReport& first = runs.reports.front();
    std::printf("  %-12s %9.4f %9.1f %12.0f %10lld %14lld %7.1f %7.1f %7.1f   ", label, runs.MedianSeconds(),
                runs.MegabytesPerSecond(), runs.SamplesPerSecond(), static_cast<long long>(last.samples),
                static_cast<long long>(last.bytes), first.startKiB / 1024.0, first.pass.setupPeakKiB / 1024.0,
                runs.PeakKiB() / 1024.0);
    std::printf(" %8.3f %7.3f %7.3f  ", runs.MedianPerSample([](const PassResult& r) { return r.cpuSeconds * 1e6; }),
                runs.MedianPerSample([](const PassResult& r) { return double(r.voluntarySwitches); }),
                runs.MedianPerSample([](const PassResult& r) { return double(r.involuntarySwitches); }));
    for (const ChildReport& r : runs.reports)
        std::printf(" %.4f", r.pass.seconds);
    std::printf("   %s\n", unit);
}

const char* Verdict(double ratio, double target)
{
    return ratio >= target ? "met" : "NOT met";
}

// The three passes over one movie, and the ratios of the filter's figures.
void CompareLoops(const Options& o, const std::string& title, const std::string& path, bool tiny)
{
    std::printf("\n== %s\n", title.c_str());
    std::printf("  load average before: %s\n", LoadAverage().c_str());
    std::fflush(stdout);
    std::map<std::string, PassRuns> runs = RunInTurns(o, {path}, {"filter", "pread", "merged", "avformat"});
    const PassRuns& filter = runs[path + "|filter"];
    const PassRuns& pread = runs[path + "|pread"];
    const PassRuns& merged = runs[path + "|merged"];
    const PassRuns& avformat = runs[path + "|avformat"];
    PrintCacheState(o, path);
    std::printf("  load average after: %s; %d runs of each pass, taken in turns\n", LoadAverage().c_str(), o.runs);
    std::printf("  %-12s %9s %9s %12s %10s %14s %7s %7s %7s  %8s %7s %7s   %s\n", "pass", "median s", "MB/s",
                "samples/s", "samples", "bytes", "RSS0", "RSSset", "RSSpk", "CPUus/s", "vcs/s", "ics/s",
                "every run (s)");
    PrintPass("filter", filter, "media samples delivered");
    PrintPass("pread", pread, "reads");
    PrintPass("merged", merged, "samples copied out of merged reads");
    PrintPass("libavformat", avformat, "packets");
    std::printf("  (MB = 10^6 bytes; RSS in MiB of the pass's own process: fresh, set up before the timed part, "
                "peak at its end;\n   per sample over the timed part, medians: CPU microseconds of every thread, "
                "voluntary and involuntary context switches)\n");
    if (filter.Last().bytes != pread.Last().bytes || filter.Last().bytes != avformat.Last().bytes ||
        filter.Last().bytes != merged.Last().bytes ||
        filter.Last().samples != pread.Last().samples)
        std::printf("  WARNING: the passes did not read the same bytes or the same number of samples\n");

    const double toPread = filter.MegabytesPerSecond() / pread.MegabytesPerSecond();
    const double toAvformat = filter.MegabytesPerSecond() / avformat.MegabytesPerSecond();
    const double perSecond = filter.SamplesPerSecond() / avformat.SamplesPerSecond();
    std::printf("  filter / pread        MB/s       %.3f%s\n", toPread,
                tiny ? "" : (std::string("   target >= 0.9: ") + Verdict(toPread, 0.9)).c_str());
    std::printf("  filter / libavformat  MB/s       %.3f%s  (the same bytes: the inverse ratio of the times)\n",
                toAvformat, tiny ? "" : (std::string("   target >= 1.2: ") + Verdict(toAvformat, 1.2)).c_str());
    std::printf("  filter samples/s / libavformat packets/s  %.3f%s\n", perSecond,
                tiny ? (std::string("   target >= 1.0: ") + Verdict(perSecond, 1.0)).c_str() : "");
    std::printf("  for reference, pread / libavformat MB/s %.3f, merged / libavformat MB/s %.3f\n",
                pread.MegabytesPerSecond() / avformat.MegabytesPerSecond(),
                merged.MegabytesPerSecond() / avformat.MegabytesPerSecond());
    if (avformat.Last().samples != filter.Last().samples)
        std::printf("  (libavformat returns %lld packets for the filter's %lld samples: it cuts each PCM chunk "
                    "into packets of at most 1024 sample frames)\n",
                    static_cast<long long>(avformat.Last().samples), static_cast<long long>(filter.Last().samples));
}

// The schedule walk and the pump over N and 2N frames: twice the chunks
// should take twice the time.
void DoublingCheck(const Options& o)
{
    std::printf("\n== doubling: NTSC layout, %u-byte frames, sound chunks of 1602/1601 samples "
                "(a sample-to-chunk entry for 4 chunks in 5)\n",
                kDoublingFrameBytes);
    std::vector<std::string> paths;
    for (const uint32_t frames : {o.doublingFrames, 2 * o.doublingFrames})
        paths.push_back(EnsureMovie(o, "ntsc_small_" + std::to_string(frames) + "f.mov",
                                    MakeInterleavedMovie({frames, kDoublingFrameBytes})));
    std::printf("  load average before: %s\n", LoadAverage().c_str());
    std::fflush(stdout);
    std::map<std::string, PassRuns> runs = RunInTurns(o, paths, {"preview", "filter"});
    std::printf("  load average after: %s; %d runs of each, medians (a preview run reports its fastest of 9 "
                "walks)\n",
                LoadAverage().c_str(), o.runs);
    std::printf("  %-10s %10s %12s %12s %9s %9s   %s\n", "frames", "chunks", "preview s", "pump s", "ns/chunk",
                "us/chunk", "every run (s): preview; pump");
    const uint32_t frames[] = {o.doublingFrames, 2 * o.doublingFrames};
    double preview[2], pump[2], fastestPreview[2], fastestPump[2];
    for (int i = 0; i < 2; ++i)
    {
        const PassRuns& walks = runs[paths[i] + "|preview"];
        const PassRuns& pumps = runs[paths[i] + "|filter"];
        preview[i] = walks.MedianSeconds();
        pump[i] = pumps.MedianSeconds();
        fastestPreview[i] = walks.FastestSeconds();
        fastestPump[i] = pumps.FastestSeconds();
        const double chunks = 2.0 * frames[i];
        std::printf("  %-10u %10.0f %12.5f %12.4f %9.1f %9.2f  ", frames[i], chunks, preview[i], pump[i],
                    preview[i] / chunks * 1e9, pump[i] / chunks * 1e6);
        for (const ChildReport& r : walks.reports)
            std::printf(" %.5f", r.pass.seconds);
        std::printf(";");
        for (const ChildReport& r : pumps.reports)
            std::printf(" %.3f", r.pass.seconds);
        std::printf("\n");
    }
    std::printf("  %-21s %12.2f %12.2f   (linear: about 2; quadratic: about 4)\n", "ratio 2N/N",
                preview[1] / preview[0], pump[1] / pump[0]);
    std::printf("  %-21s %12.2f %12.2f   (the runs least disturbed by the rest of the machine)\n",
                "fastest runs 2N/N", fastestPreview[1] / fastestPreview[0], fastestPump[1] / fastestPump[0]);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--child=avformat")
        return ReportPass("avformat", RunAvformatPass, argv[2]);
    try
    {
        const Options o = ParseOptions(argc, argv);
        std::filesystem::create_directories(o.dir);
        if (Wanted(o, "dv"))
        {
            // Five frames of video and their sound: 5 x 120,000 + 8008 x 4 bytes.
            const double fiveFrames = 5 * 120000.0 + kInterleavedSoundBytesPerFiveFrames;
            const uint32_t frames = static_cast<uint32_t>(o.dvGigabytes * 1e9 / fiveFrames) * 5;
            const std::string path =
                EnsureMovie(o, "dv_ntsc_" + std::to_string(frames) + "f.mov", MakeInterleavedMovie({frames}));
            if (!o.makeOnly)
                CompareLoops(o,
                             "DV: " + std::to_string(frames) + " NTSC frames of 120,000 bytes, a PCM chunk after each",
                             path, false);
        }
        if (Wanted(o, "tiny"))
        {
            BenchMovieLayout layout;
            layout.videoFrames = o.tinyFrames;
            const std::string path =
                EnsureMovie(o, "tiny_" + std::to_string(o.tinyFrames) + "f.mov", MakeBenchMovie(layout));
            if (!o.makeOnly)
                CompareLoops(o,
                             "tiny samples: the parse benchmark's movie, " + std::to_string(o.tinyFrames) +
                                 " frames of 1,000-3,000 bytes, a PCM chunk every 25",
                             path, true);
        }
        if (Wanted(o, "doubling") && !o.makeOnly)
            DoublingCheck(o);
        return 0;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "bench_pump: %s\n", e.what());
        return 1;
    }
}
