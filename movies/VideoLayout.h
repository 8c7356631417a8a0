#pragma once

#include <QRectF>

namespace zepo {

// What the picture's placement depends on.
struct VideoLayoutInput {
    double stageWidth;
    double stageHeight;
    double panelReserve;  // the fixed panel's height, 0 when the panel floats
    double aspectWidth;   // display aspect: must be usable (see usableAspect)
    double aspectHeight;
    double adjustWidth;   // pixel-shape correction factors (1 = none)
    double adjustHeight;
};

// Whether a display aspect can be laid out: both sides finite and above 0.
bool usableAspect(double width, double height);

// The video area on the stage (centred on the authoring centre (320, 240) horizontally,
// lifted by half the reserved panel height): the picture at the display aspect,
// letter-boxed into the free area, then stretched by the correction factors. A
// correction factor that is not a finite positive number counts as 1. A free area of no
// height gives an empty rectangle. The caller guarantees a non-zero stage and a usable
// aspect.
QRectF layoutVideo(const VideoLayoutInput& input);

} // namespace zepo
