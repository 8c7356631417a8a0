#pragma once

#include <cstdint>

namespace zepo::stream {

// The largest picture a decoder may allocate: 8192 x 8192 pixels, 96 MiB in 4:2:0. That
// takes in every real video (8K is 7680 x 4320; the largest picture any level of H.264,
// HEVC or AV1 allows is 8192 x 4352), and a real 8192 x 8192 H.264 file still plays,
// its decoder holding about 1.1 GB of reference pictures. A picture header of a few bytes
// can claim far more (16000 x 16000 costs an H.263 decoder 1.6 GB and both cores): such a
// track is refused before anything is allocated for it.
inline constexpr std::int64_t kMaxPictureSide = 8192;
inline constexpr std::int64_t kMaxPicturePixels = kMaxPictureSide * kMaxPictureSide;

} // namespace zepo::stream
