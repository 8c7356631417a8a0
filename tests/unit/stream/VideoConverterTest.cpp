#include "stream/VideoConverter.h"

#include "stream/PicturePool.h"
#include "tests/support/Pictures.h"

#include <cstring>
#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

// A decoded picture of one colour (limited-range BT.601 Y'CbCr), with an alpha plane
// when `alpha` is given.
FramePtr decoded(int width, int height, std::uint8_t y, std::uint8_t cb, std::uint8_t cr, int alpha = -1)
{
    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = alpha < 0 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUVA420P;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    const std::uint8_t values[4] = {y, cb, cr, std::uint8_t(alpha)};
    for (int plane = 0; plane < (alpha < 0 ? 3 : 4); ++plane) {
        const int rows = plane == 1 || plane == 2 ? (height + 1) / 2 : height;
        std::memset(frame->data[plane], values[plane], std::size_t(frame->linesize[plane]) * std::size_t(rows));
    }
    return frame;
}

using test::pixelAt;

// Pixels come out as 0xAARRGGBB words at the size asked for, rows aligned for vector
// stores: the layout the display takes as it is.
TEST(VideoConverter, ScalesToTheSizeShownAsWordsOfAlphaRedGreenBlue)
{
    VideoConverter converter;
    const FramePtr red = decoded(64, 48, 81, 90, 240);
    const Picture picture = converter.convert(*red, {40, 30});
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), (PictureSize{40, 30}));
    EXPECT_GE(picture.stride(), 40 * 4);
    EXPECT_EQ(picture.stride() % 64, 0);
    EXPECT_FALSE(picture.hasAlpha());
    const std::uint32_t c = pixelAt(picture, 20, 15);
    EXPECT_GT((c >> 16) & 0xff, 240u);
    EXPECT_LT((c >> 8) & 0xff, 16u);
    EXPECT_LT(c & 0xff, 16u);

    // No size: the picture's own.
    EXPECT_EQ(converter.convert(*red, {}).size(), (PictureSize{64, 48}));
}

TEST(VideoConverter, KeepsAlphaAndRefusesWhatCannotBeShown)
{
    VideoConverter converter;
    const Picture clear = converter.convert(*decoded(32, 32, 128, 128, 128, 0), {32, 32});
    ASSERT_FALSE(clear.isNull());
    EXPECT_TRUE(clear.hasAlpha());
    EXPECT_EQ(pixelAt(clear, 16, 16) >> 24, 0u);
    EXPECT_EQ(pixelAt(converter.convert(*decoded(32, 32, 128, 128, 128, 255), {32, 32}), 1, 1) >> 24, 255u);

    EXPECT_TRUE(converter.convert(*decoded(32, 32, 16, 128, 128), {100000, 10}).isNull());
    FramePtr empty(av_frame_alloc());
    EXPECT_TRUE(converter.convert(*empty, {32, 32}).isNull());
}

// Left half one colour, right half another.
FramePtr split(int width, int height)
{
    FramePtr frame = decoded(width, height, 81, 90, 240);  // red
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? height : (height + 1) / 2;
        const int half = plane == 0 ? width / 2 : width / 4;
        const std::uint8_t blue[3] = {41, 240, 110};
        for (int y = 0; y < rows; ++y)
            std::memset(frame->data[plane] + std::size_t(y) * std::size_t(frame->linesize[plane]) + half, blue[plane],
                        std::size_t(frame->linesize[plane] - half));
    }
    return frame;
}

bool reddish(std::uint32_t c)
{
    return ((c >> 16) & 0xff) > 200 && (c & 0xff) < 60;
}
bool bluish(std::uint32_t c)
{
    return (c & 0xff) > 200 && ((c >> 16) & 0xff) < 60;
}

// Enlarged in two passes (even sides) or one (an odd side), the picture comes out the
// same: each half keeps its colour up to the edge between them.
TEST(VideoConverter, EnlargesInOnePassOrTwoToTheSamePicture)
{
    VideoConverter converter;
    const FramePtr frame = split(64, 36);
    for (const PictureSize size : {PictureSize{128, 72}, PictureSize{128, 71}, PictureSize{32, 18}}) {
        const Picture picture = converter.convert(*frame, size);
        ASSERT_EQ(picture.size(), size);
        const int w = size.width;
        for (int y : {0, size.height / 2, size.height - 1}) {
            EXPECT_TRUE(reddish(pixelAt(picture, 0, y))) << w << " " << y;
            EXPECT_TRUE(reddish(pixelAt(picture, w / 2 - 3, y))) << w << " " << y;
            EXPECT_TRUE(bluish(pixelAt(picture, w / 2 + 2, y))) << w << " " << y;
            EXPECT_TRUE(bluish(pixelAt(picture, w - 1, y))) << w << " " << y;
        }
    }
}

// Pictures go into the memory given, and a converter that shows one picture after
// another takes no new memory once the earlier ones are back.
TEST(VideoConverter, ConvertsIntoTheMemoryGivenAndReusesIt)
{
    auto pool = std::make_shared<PicturePool>();
    VideoConverter converter(pool);
    const FramePtr frame = split(64, 36);
    Picture shown = converter.convert(*frame, {128, 72});
    const std::uint8_t* first = shown.pixels();
    shown = Picture();
    EXPECT_EQ(converter.convert(*frame, {128, 72}).pixels(), first);
}

} // namespace
} // namespace zepo::stream
