// The passes that read the movie without the filter: the plain read loop,
// libavformat's packet loop, and the schedule walk alone.
extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "bench/ChildPass.h"
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
} // namespace

PassResult RunPreadPass(const std::string& path)
{
    std::vector<ByteRange> ranges;
    {
        ParsedMovieFile file;
        OpenParsed(file, path);
        (void)WalkSchedule(file.Movie(), &ranges);
    }
    LONG largest = 0;
    for (const ByteRange& range : ranges)
        largest = std::max(largest, range.size);
    std::vector<BYTE> buffer(static_cast<size_t>(largest));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const Clock::time_point start = Clock::now();
    for (const ByteRange& range : ranges)
    {
        result.bytes += ReadRange(fd, buffer.data(), range);
        ++result.samples;
    }
    result.seconds = Since(start);
    ::close(fd);
    return result;
}

PassResult RunAvformatPass(const std::string& path)
{
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("avformat_open_input failed on " + path);
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        throw std::runtime_error("av_packet_alloc failed");
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const Clock::time_point start = Clock::now();
    int status = 0;
    while ((status = av_read_frame(context, packet)) >= 0)
    {
        result.bytes += packet->size;
        ++result.samples;
        av_packet_unref(packet);
    }
    result.seconds = Since(start);
    av_packet_free(&packet);
    avformat_close_input(&context);
    if (status != AVERROR_EOF)
        throw std::runtime_error("av_read_frame failed before the end");
    return result;
}

PassResult RunPreviewPass(const std::string& path)
{
    ParsedMovieFile file;
    OpenParsed(file, path);
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const Clock::time_point start = Clock::now();
    const WalkTotals totals = WalkSchedule(file.Movie(), nullptr);
    result.seconds = Since(start);
    result.samples = totals.reads;
    result.bytes = totals.bytes;
    return result;
}
