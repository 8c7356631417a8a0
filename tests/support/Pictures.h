#pragma once

#include "stream/Picture.h"

#include <algorithm>
#include <cstring>
#include <ostream>

// Pictures for tests; header only and free of Qt, so the stream's own unit tests use it too.

namespace zepo::stream {

// How a failing test shows a size.
inline void PrintTo(const PictureSize& size, std::ostream* out)
{
    *out << size.width << "x" << size.height;
}

} // namespace zepo::stream

namespace zepo::test {

// A picture of one colour (0xAARRGGBB), as a stream hands it over.
inline stream::Picture solidPicture(stream::PictureSize size, std::uint32_t argb, bool alpha = false)
{
    stream::Picture picture = stream::Picture::allocate(size, alpha);
    for (int y = 0; y < size.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(picture.pixels() + std::size_t(y) * std::size_t(picture.stride()));
        std::fill(row, row + size.width, argb);
    }
    return picture;
}

// The pixel at (x, y) as 0xAARRGGBB.
inline std::uint32_t pixelAt(const stream::Picture& picture, int x, int y)
{
    std::uint32_t value = 0;
    std::memcpy(&value, picture.pixels() + std::size_t(y) * std::size_t(picture.stride()) + std::size_t(x) * 4, 4);
    return value;
}

} // namespace zepo::test
