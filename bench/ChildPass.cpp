#include "bench/ChildPass.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

long PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6)); // "VmHWM:    1234 kB"
    return 0;
}

int ReportPass(const std::string& kind, PassFunction pass, const std::string& path)
{
    const long startKiB = PeakResidentKiB();
    try
    {
        const PassResult r = pass(path);
        // The kernel raises its high-water mark lazily, and pages the kernel
        // reclaims (dropped caches) can take it below an earlier reading.
        const long peakKiB = std::max(PeakResidentKiB(), r.setupPeakKiB);
        std::printf("%.9f %lld %lld %ld %ld %ld %.6f %ld %ld\n", r.seconds, static_cast<long long>(r.samples),
                    static_cast<long long>(r.bytes), startKiB, r.setupPeakKiB, peakKiB, r.cpuSeconds,
                    r.voluntarySwitches, r.involuntarySwitches);
        return 0;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "bench_pump: %s pass on %s: %s\n", kind.c_str(), path.c_str(), e.what());
        return 1;
    }
}

namespace
{
// The child's standard output, whole.
std::string ReadAll(int fd)
{
    std::string text;
    char piece[4096];
    for (ssize_t n; (n = ::read(fd, piece, sizeof piece)) != 0;)
    {
        if (n > 0)
            text.append(piece, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    return text;
}
} // namespace

ChildReport RunPassInChild(const std::string& kind, const std::string& path)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    std::fflush(nullptr); // nothing buffered here may be written twice
    // Both programs lie in one folder.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const bool avformat = kind == "avformat";
    const std::string program = avformat ? self : (std::filesystem::path(self).parent_path() / "bench_pump_pass").string();
    const std::string first = avformat ? "--child=avformat" : kind;
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
    {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        char* const args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(first.c_str()),
                              const_cast<char*>(path.c_str()), nullptr};
        ::execv(program.c_str(), args);
        ::_exit(127);
    }
    ::close(out[1]);
    const std::string text = ReadAll(out[0]);
    ::close(out[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    ChildReport report;
    long long samples = 0, bytes = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "%lf %lld %lld %ld %ld %ld %lf %ld %ld", &report.pass.seconds, &samples, &bytes,
                    &report.startKiB, &report.pass.setupPeakKiB, &report.peakKiB, &report.pass.cpuSeconds,
                    &report.pass.voluntarySwitches, &report.pass.involuntarySwitches) != 9)
        throw std::runtime_error("the " + kind + " pass on " + path + " failed");
    report.pass.samples = samples;
    report.pass.bytes = bytes;
    return report;
}
