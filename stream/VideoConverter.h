#pragma once

#include "stream/AvHandles.h"
#include "stream/PictureMemory.h"

#include <memory>

namespace zepo::stream {

// Converts a decoded picture to the size it is shown at, bilinear, straight into picture
// memory that is painted 1:1. Pictures with alpha (VP6 with alpha) keep it, so they can be
// composed over the stage.
//
// A 4:2:0 picture shown at another size is scaled in its own format first and converted
// to RGB at the size shown after: both passes then take libswscale's vector paths, which
// together cost about two thirds of one pass that scales and converts at once.
class VideoConverter {
public:
    // Pictures go into `memory`; without it, into plain memory of the converter's own.
    explicit VideoConverter(std::shared_ptr<PictureMemory> memory = nullptr);

    // A null picture when the frame is unusable or no memory can be had. An empty size
    // means the picture's own.
    Picture convert(const AVFrame& frame, PictureSize size);

private:
    bool scaleFirst(const AVFrame& frame, PictureSize size) const;
    bool prescale(const AVFrame& frame, PictureSize size);

    std::shared_ptr<PictureMemory> memory_;
    ScalerPtr scaler_;      // the one pass, or the second pass (format only)
    ScalerPtr prescaler_;   // the first pass: the size, in the picture's own format
    FramePtr scaled_;       // the first pass's result, reused while the size stays
};

} // namespace zepo::stream
