#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace zepo::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// CPU seconds (user + system) this process has used.
inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Peak resident memory in MiB.
inline double peakRssMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// The value below which a share p of the values lie; -1 without values.
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

// The figures every seek measurement prints, as run-bench.sh reads them.
inline std::string seekFigures(const std::vector<double>& forward, const std::vector<double>& back, int failed)
{
    std::vector<double> all = forward;
    all.insert(all.end(), back.begin(), back.end());
    char line[256];
    std::snprintf(line, sizeof line,
                  "seek_fwd_ms_median=%.1f seek_back_ms_median=%.1f seek_ms_median=%.1f seek_ms_max=%.1f seeks=%zu failed=%d",
                  percentile(forward, 0.5), percentile(back, 0.5), percentile(all, 0.5), percentile(all, 1.0), all.size(),
                  failed);
    return line;
}

// A watcher's command line: "--name value" pairs, each handed to `take` (which says false
// for a name it does not know), then "--" and the command to run. The command comes back
// null-terminated, as execvp takes it; nothing when the line is malformed or has no command.
template <typename Take>
std::optional<std::vector<char*>> parseCommandLine(int argc, char** argv, Take take)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
        if (i + 1 >= argc || !take(std::string(argv[i]), argv[i + 1]))
            return std::nullopt;
    }
    std::vector<char*> command(argv + std::min(i + 1, argc), argv + argc);
    if (command.empty())
        return std::nullopt;
    command.push_back(nullptr);
    return command;
}

// Starts a program (a null-terminated argument list) as a child; its process id, or -1.
inline pid_t launch(const std::vector<char*>& command)
{
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command.data());
        _exit(127);
    }
    return child;
}

} // namespace zepo::bench
