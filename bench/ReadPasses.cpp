// The passes of the movie's reads without the filter: the plain read loop,
// the same reads merged where they are back to back, and the schedule walk
// alone.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "bench/ChildPass.h"
#include "bench/PassTimer.h"
#include "bench/Passes.h"
#include "bench/ScheduleWalk.h"

namespace
{
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void OpenParsed(ParsedMovieFile& file, const std::string& path)
{
    if (FAILED(file.Open(path)))
        throw std::runtime_error("cannot parse " + path);
}

// The whole range, as CPositionalFile reads it: pread until done or the end.
LONG ReadRange(int fd, BYTE* buffer, const ByteRange& range)
{
    size_t done = 0;
    const size_t length = static_cast<size_t>(range.size);
    while (done < length)
    {
        const ssize_t n = ::pread(fd, buffer + done, length - done, static_cast<off_t>(range.offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<LONG>(done);
}

// The pump's reads, in its order, and a buffer for the largest.
struct PumpReads
{
    std::vector<ByteRange> ranges;
    std::vector<BYTE> buffer;
    int fd = -1;

    explicit PumpReads(const std::string& path)
    {
        {
            ParsedMovieFile file;
            OpenParsed(file, path);
            (void)WalkSchedule(file.Movie(), &ranges);
        }
        LONG largest = 0;
        for (const ByteRange& range : ranges)
            largest = std::max(largest, range.size);
        buffer.resize(static_cast<size_t>(largest));
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("cannot open " + path);
    }
    ~PumpReads() { ::close(fd); }
    PumpReads(const PumpReads&) = delete;
    PumpReads& operator=(const PumpReads&) = delete;
};

// A merged read is at most this long.
constexpr LONG kMergedBytes = LONG{1} << 20;

// The end of the run of reads from first on that lie back to back and fit
// kMergedBytes together (first + 1 at least); *bytes gets their length.
size_t MergedRun(const std::vector<ByteRange>& ranges, size_t first, LONGLONG* bytes)
{
    size_t end = first + 1;
    *bytes = ranges[first].size;
    while (end < ranges.size() && ranges[end].offset == ranges[end - 1].offset + ranges[end - 1].size &&
           *bytes + ranges[end].size <= kMergedBytes)
        *bytes += ranges[end++].size;
    return end;
}

// The compiler must not drop copies into a buffer nobody reads.
void KeepWritten(const void* buffer)
{
    asm volatile("" : : "r"(buffer) : "memory");
}
} // namespace

PassResult RunPreadPass(const std::string& path)
{
    PumpReads reads(path);
    const std::vector<ByteRange>& ranges = reads.ranges;
    const int fd = reads.fd;
    std::vector<BYTE>& buffer = reads.buffer;
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const PassTimer timer;
    for (const ByteRange& range : ranges)
    {
        result.bytes += ReadRange(fd, buffer.data(), range);
        ++result.samples;
    }
    timer.Stop(result);
    return result;
}

PassResult RunMergedPass(const std::string& path)
{
    PumpReads reads(path);
    std::vector<BYTE> staging(static_cast<size_t>(kMergedBytes));
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const PassTimer timer;
    for (size_t first = 0; first < reads.ranges.size();)
    {
        LONGLONG bytes = 0;
        const size_t end = MergedRun(reads.ranges, first, &bytes);
        if (bytes > kMergedBytes) // one read longer than a merged one: straight into its buffer
        {
            result.bytes += ReadRange(reads.fd, reads.buffer.data(), reads.ranges[first]);
        }
        else
        {
            const LONG got = ReadRange(reads.fd, staging.data(), {reads.ranges[first].offset, static_cast<LONG>(bytes)});
            LONG at = 0;
            for (size_t i = first; i < end; at += reads.ranges[i++].size)
            {
                const LONG size = std::max(0, std::min(reads.ranges[i].size, got - at));
                std::memcpy(reads.buffer.data(), staging.data() + at, static_cast<size_t>(size));
                KeepWritten(reads.buffer.data());
                result.bytes += size;
            }
        }
        result.samples += static_cast<LONGLONG>(end - first);
        first = end;
    }
    timer.Stop(result);
    return result;
}

PassResult RunPreviewPass(const std::string& path)
{
    // A walk takes a millisecond or two, less than a time slice: on a busy
    // machine a preemption, or another core's use of the shared cache,
    // doubles one easily. The walks all do the same work, so the fastest of
    // several, each over a freshly parsed movie (a walk moves the positions
    // for good), is the one least disturbed.
    constexpr int kWalks = 9;
    PassResult result;
    result.seconds = 1e9;
    for (int walk = 0; walk < kWalks; ++walk)
    {
        ParsedMovieFile file;
        OpenParsed(file, path);
        result.setupPeakKiB = std::max(result.setupPeakKiB, PeakResidentKiB());
        const Clock::time_point start = Clock::now();
        const WalkTotals totals = WalkSchedule(file.Movie(), nullptr);
        result.seconds = std::min(result.seconds, Since(start));
        result.samples = totals.reads;
        result.bytes = totals.bytes;
    }
    return result;
}
