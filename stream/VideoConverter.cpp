#include "stream/VideoConverter.h"

#include "stream/PictureBound.h"
#include "stream/PicturePool.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace zepo::stream {
namespace {

// The largest side of a picture shown: large enough for any screen, small enough that a
// damaged size cannot exhaust memory.
constexpr int kMaxSide = 16384;
constexpr int kScaling = SWS_BILINEAR;

SwsContext* scalerFor(SwsContext* old, int width, int height, AVPixelFormat from, PictureSize to, AVPixelFormat format)
{
    return sws_getCachedContext(old, width, height, from, to.width, to.height, format, kScaling, nullptr, nullptr, nullptr);
}

} // namespace

VideoConverter::VideoConverter(std::shared_ptr<PictureMemory> memory)
    : memory_(memory ? std::move(memory) : std::make_shared<PicturePool>())
{
}

// Two passes pay only for 4:2:0 pictures whose size changes to one that 4:2:0 holds
// exactly (even sides): only then does the second pass take the vector path.
bool VideoConverter::scaleFirst(const AVFrame& frame, PictureSize size) const
{
    return frame.format == AV_PIX_FMT_YUV420P && (size.width != frame.width || size.height != frame.height)
        && size.width % 2 == 0 && size.height % 2 == 0;
}

// The first pass: the picture at the size shown, still in 4:2:0.
bool VideoConverter::prescale(const AVFrame& frame, PictureSize size)
{
    prescaler_.reset(scalerFor(prescaler_.release(), frame.width, frame.height, AV_PIX_FMT_YUV420P, size,
                               AV_PIX_FMT_YUV420P));
    if (!prescaler_)
        return false;
    if (!scaled_ || scaled_->width != size.width || scaled_->height != size.height) {
        scaled_.reset(av_frame_alloc());
        if (!scaled_)
            return false;
        scaled_->format = AV_PIX_FMT_YUV420P;
        scaled_->width = size.width;
        scaled_->height = size.height;
        if (av_frame_get_buffer(scaled_.get(), 0) < 0) {
            scaled_.reset();
            return false;
        }
    }
    sws_scale(prescaler_.get(), frame.data, frame.linesize, 0, frame.height, scaled_->data, scaled_->linesize);
    return true;
}

Picture VideoConverter::convert(const AVFrame& frame, PictureSize size)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.format < 0
        || std::int64_t(frame.width) * frame.height > kMaxPicturePixels)
        return {};
    if (size.isEmpty())
        size = PictureSize{frame.width, frame.height};
    if (size.width > kMaxSide || size.height > kMaxSide)
        return {};
    const AVFrame* source = &frame;
    if (scaleFirst(frame, size)) {
        if (!prescale(frame, size))
            return {};
        source = scaled_.get();
    }
    const auto format = static_cast<AVPixelFormat>(source->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    const bool alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
    scaler_.reset(scalerFor(scaler_.release(), source->width, source->height, format, size, AV_PIX_FMT_RGB32));
    if (!scaler_)
        return {};
    Picture picture = memory_->take(size, alpha);
    if (picture.isNull())
        return {};
    std::uint8_t* dst[4] = {picture.pixels(), nullptr, nullptr, nullptr};
    int dstStride[4] = {picture.stride(), 0, 0, 0};
    sws_scale(scaler_.get(), source->data, source->linesize, 0, source->height, dst, dstStride);
    return picture;
}

} // namespace zepo::stream
