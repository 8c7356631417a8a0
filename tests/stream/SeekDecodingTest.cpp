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

// The reader finds the picture at the target ahead, and every picture before it that
// nothing refers to is left out of decoding, right up to the target. Whatever kind of
// picture the target lands on (a reference, or one nothing refers to, which must then be
// decoded after all) and whether it lands on a timestamp or between two, the picture
// shown is the last one not after the target. (In the H.264 clip frames 17, 20, 23 and 26
// are referred to by nothing; frame n is stamped 0.2 + n / 10 s.)
TEST(StreamSeek, LandsOnTheExactPictureWhicheverKindItIs)
{
    for (const char* file : {"h264_aac.flv", "h264_aac_keyframes.flv"}) {
        StreamRecorder r;
        r.stream->play(fixture(file));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000)) << file;
        r.stream->pause();
        for (const auto& [target, frame] : std::vector<std::pair<double, int>>{
                 {1.9, 17}, {2.25, 20}, {2.0, 18}, {2.8, 26}, {2.799, 25}, {2.5, 23}, {1.7, 15}, {2.45, 22}}) {
            r.stream->seek(target);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return !r.frames.empty() && StreamRecorder::frameNumber(r.frames.back()) == frame; }, 3000))
                << file << " at " << target << " shows "
                << (r.frames.empty() ? -1 : StreamRecorder::frameNumber(r.frames.back()));
        }
    }
}

} // namespace
} // namespace zepo::test
