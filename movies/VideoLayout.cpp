#include "movies/VideoLayout.h"

#include <algorithm>
#include <cmath>

namespace zepo {

namespace {
// The authoring stage's centre: a NoScale stage stays centred on it.
constexpr double kCentreX = 320;
constexpr double kCentreY = 240;

double usableFactor(double factor)
{
    return std::isfinite(factor) && factor > 0 ? factor : 1.0;
}
} // namespace

bool usableAspect(double width, double height)
{
    return std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0;
}

QRectF layoutVideo(const VideoLayoutInput& in)
{
    const double freeHeight = in.stageHeight - in.panelReserve;
    const double scale = freeHeight / in.stageWidth < in.aspectHeight / in.aspectWidth
        ? freeHeight / in.aspectHeight
        : in.stageWidth / in.aspectWidth;
    const double width = std::max(0.0, in.aspectWidth * scale * usableFactor(in.adjustWidth));
    const double height = std::max(0.0, in.aspectHeight * scale * usableFactor(in.adjustHeight));
    const double centreY = kCentreY - in.panelReserve / 2;
    return QRectF(kCentreX - width / 2, centreY - height / 2, width, height);
}

} // namespace zepo
