// libavformat's pass: its packet loop over the same file. Only bench_pump
// links libavformat; the other passes run in bench_pump_pass, which does not.
extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

#include <stdexcept>

#include "bench/ChildPass.h"
#include "bench/PassTimer.h"
#include "bench/Passes.h"

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

    const PassTimer timer;
    int status = 0;
    while ((status = av_read_frame(context, packet)) >= 0)
    {
        result.bytes += packet->size;
        ++result.samples;
        av_packet_unref(packet);
    }
    timer.Stop(result);
    av_packet_free(&packet);
    avformat_close_input(&context);
    if (status != AVERROR_EOF)
        throw std::runtime_error("av_read_frame failed before the end");
    return result;
}
