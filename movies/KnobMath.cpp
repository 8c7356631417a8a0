#include "movies/KnobMath.h"

#include <algorithm>
#include <cmath>

namespace zepo {

int roundVolume(double volume)
{
    return static_cast<int>(std::floor(volume + 0.5));
}

double clampVolume(double volume)
{
    return std::clamp(volume, 0.0, 100.0);
}

double volumeKnobX(int volume, double trackWidth)
{
    return (volume - 50) * trackWidth / 100;
}

double volumeAtKnob(double knobX, double trackWidth)
{
    if (!(trackWidth > 0))
        return 50;
    return knobX / (trackWidth / 100) + 50;
}

double clampKnob(double knobX, double trackWidth)
{
    const double half = std::max(0.0, trackWidth) / 2;
    return std::clamp(knobX, -half, half);
}

double seekKnobX(bool lengthFinal, double time, double duration, double trackWidth)
{
    const double half = std::max(0.0, trackWidth) / 2;
    if (!lengthFinal)
        return -half;
    if (time > duration)
        return half;
    if (!(duration > 0) || !std::isfinite(time))
        return -half;
    return clampKnob((time / duration - 0.5) * trackWidth, trackWidth);
}

double seekTimeAtKnob(double knobX, double trackWidth, double duration)
{
    if (!(trackWidth > 0) || !(duration > 0))
        return 0;
    return duration * (0.5 + knobX / trackWidth);
}

} // namespace zepo
