#include "stream/VideoConverter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace zepo::stream {
namespace {

// Large enough for any real picture, small enough that a damaged size cannot exhaust memory.
constexpr int kMaxSide = 16384;

} // namespace

Picture VideoConverter::convert(const AVFrame& frame, PictureSize size)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.format < 0)
        return {};
    if (size.isEmpty())
        size = PictureSize{frame.width, frame.height};
    if (size.width > kMaxSide || size.height > kMaxSide)
        return {};
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    const bool alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, format, size.width, size.height,
                                       AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_)
        return {};
    Picture picture = Picture::allocate(size, alpha);
    if (picture.isNull())
        return {};
    std::uint8_t* dst[4] = {picture.pixels(), nullptr, nullptr, nullptr};
    int dstStride[4] = {picture.stride(), 0, 0, 0};
    sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride);
    return picture;
}

} // namespace zepo::stream
