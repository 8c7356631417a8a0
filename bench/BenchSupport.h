#pragma once

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

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

} // namespace zepo::bench
