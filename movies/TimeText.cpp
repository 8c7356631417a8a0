#include "movies/TimeText.h"

#include <cmath>
#include <cstdio>

namespace zepo {

namespace {
std::string twoDigits(double whole)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02.0f", whole);
    return buffer;
}
} // namespace

std::string formatClock(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const double minutes = std::floor(seconds / 60);
    const double rest = std::floor(std::fmod(seconds, 60));
    return twoDigits(minutes) + ":" + twoDigits(rest);
}

} // namespace zepo
