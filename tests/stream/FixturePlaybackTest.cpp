#include "tests/stream/StreamRecorder.h"

#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace stream;

struct Codec {
    const char* file;
    bool picture;
};

class PlaysToTheEnd : public ::testing::TestWithParam<Codec> {};

// Each codec plays from start to end: started, buffer full, pictures when there is video,
// and exactly one stop with the time standing at the last timestamp.
TEST_P(PlaysToTheEnd, ReportsStartFullAndOneStop)
{
    const Codec c = GetParam();
    StreamRecorder r;
    r.stream->play(fixture(c.file));
    const double length = lastTimestamp(fixture(c.file));
    ASSERT_TRUE(r.waitFor(kPlayStop, int(length * 1000) + 5000)) << c.file;
    StreamRecorder::settle(300);
    EXPECT_EQ(r.count(kPlayStart), 1);
    EXPECT_EQ(r.count(kBufferFull), 1);
    EXPECT_EQ(r.count(kPlayStop), 1);
    EXPECT_EQ(r.statuses.front(), kPlayStart);
    EXPECT_NEAR(r.stream->time(), length, 0.001) << c.file;
    if (c.picture) {
        ASSERT_GE(r.frames.size(), 10u) << c.file;
        EXPECT_EQ(r.frames.front().size(), QSize(160, 120));
        EXPECT_EQ(StreamRecorder::frameNumber(r.frames.front()), 0) << c.file;
        EXPECT_NEAR(StreamRecorder::frameNumber(r.frames.back()), 29, 1) << c.file;
    } else {
        EXPECT_TRUE(r.frames.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, PlaysToTheEnd,
                         ::testing::Values(Codec{"flv1_mp3.flv", true}, Codec{"h264_aac.flv", true},
                                           Codec{"screen_video.flv", true}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

} // namespace
} // namespace zepo::test
