#pragma once

#include "stream/AvHandles.h"
#include "stream/Picture.h"

namespace zepo::stream {

// Converts a decoded picture to the size it is shown at, in one bilinear libswscale pass
// straight into the memory that is painted 1:1. Pictures with alpha (VP6 with alpha) keep
// it, so they can be composed over the stage.
class VideoConverter {
public:
    // A null picture when the frame is unusable. An empty size means the picture's own.
    Picture convert(const AVFrame& frame, PictureSize size);

private:
    ScalerPtr scaler_;
};

} // namespace zepo::stream
