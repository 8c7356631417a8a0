#pragma once

#include "stream/AvHandles.h"

#include <QImage>
#include <QSize>

namespace zepo::stream {

// Converts a decoded picture to the size it is shown at, in one bilinear libswscale pass
// straight into the QImage that is painted 1:1. Pictures with alpha (VP6 with alpha) keep
// it, so they can be composed over the stage.
class VideoConverter {
public:
    // A null image when the frame is unusable. An empty size means the picture's own.
    QImage convert(const AVFrame& frame, QSize size);

private:
    ScalerPtr scaler_;
};

} // namespace zepo::stream
