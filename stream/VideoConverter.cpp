#include "stream/VideoConverter.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

namespace zepo::stream {
namespace {

// Row starts aligned for libswscale's vector code.
constexpr int kRowAlignment = 64;

// Large enough for any real picture, small enough that a damaged size cannot exhaust memory.
constexpr int kMaxSide = 16384;

} // namespace

QImage VideoConverter::convert(const AVFrame& frame, QSize size)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.format < 0)
        return {};
    if (size.isEmpty())
        size = QSize(frame.width, frame.height);
    if (size.width() > kMaxSide || size.height() > kMaxSide)
        return {};
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    const bool alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, format,
                                       size.width(), size.height(), AV_PIX_FMT_RGB32,
                                       SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_)
        return {};
    const int stride = (size.width() * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    auto* pixels = static_cast<uchar*>(av_malloc(std::size_t(stride) * size.height()));
    if (!pixels)
        return {};
    QImage image(pixels, size.width(), size.height(), stride,
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                 [](void* p) { av_free(p); }, pixels);
    uint8_t* dst[4] = {pixels, nullptr, nullptr, nullptr};
    int dstStride[4] = {stride, 0, 0, 0};
    sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride);
    return image;
}

} // namespace zepo::stream
