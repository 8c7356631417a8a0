#include "stream/Picture.h"

extern "C" {
#include <libavutil/mem.h>
}

namespace zepo::stream {
namespace {

// Row starts aligned for libswscale's vector code.
constexpr int kRowAlignment = 64;
constexpr int kBytesPerPixel = 4;

} // namespace

int Picture::strideFor(int width)
{
    return (width * kBytesPerPixel + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

Picture Picture::allocate(PictureSize size, bool alpha)
{
    if (size.isEmpty())
        return {};
    const int stride = strideFor(size.width);
    auto* bytes = static_cast<std::uint8_t*>(av_malloc(std::size_t(stride) * std::size_t(size.height)));
    if (!bytes)
        return {};
    return Picture(std::shared_ptr<std::uint8_t>(bytes, [](std::uint8_t* p) { av_free(p); }), size, stride, alpha);
}

} // namespace zepo::stream
