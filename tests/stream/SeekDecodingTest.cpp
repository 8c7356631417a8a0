#include "tests/stream/StreamRecorder.h"

#include <set>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace stream;

// On the way to a target far into a keyframe interval, the pictures that nothing refers
// to are not decoded. The picture at the target still shows, and playing on from there
// shows the frames after it again, B-frames included. (The H.264 clip runs at 10 fps with
// a keyframe every 15 frames and B-frames; the muxer shifts its pictures by 0.2 s.)
TEST(StreamSeek, FarIntoAKeyframeIntervalLandsExactlyAndPlaysEveryFrameAfter)
{
    StreamRecorder r;
    r.stream->play(fixture("h264_aac.flv"));
    ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
    r.stream->pause();
    const auto showing = [&](int number) {
        return QTest::qWaitFor(
            [&] { return !r.frames.empty() && StreamRecorder::frameNumber(r.frames.back()) == number; }, 3000);
    };
    r.stream->seek(2.95);  // 1.25 s after the keyframe at 1.7 s
    EXPECT_TRUE(showing(27));
    r.stream->seek(1.45);  // 1.25 s after the first keyframe
    EXPECT_TRUE(showing(12));
    const std::size_t before = r.frames.size();
    r.stream->resume();
    ASSERT_TRUE(r.waitFor(kPlayStop, 5000));
    std::set<int> played;
    for (std::size_t i = before; i < r.frames.size(); ++i)
        played.insert(StreamRecorder::frameNumber(r.frames[i]));
    // Frames 13 to 29; a busy machine may drop one late picture, a decoder left skipping
    // would drop every third.
    EXPECT_GE(played.size(), 15u);
    EXPECT_EQ(*played.begin(), 13);
    EXPECT_EQ(*played.rbegin(), 29);
}

} // namespace
} // namespace zepo::test
