#include "platform/PathText.h"
#include "tests/stream/HostileFiles.h"
#include "tests/stream/StreamRecorder.h"

#include <set>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace stream;

// Whether the last picture shown becomes the frame of that number in time.
bool showing(StreamRecorder& r, int number)
{
    return QTest::qWaitFor([&] { return !r.frames.empty() && StreamRecorder::frameNumber(r.frames.back()) == number; },
                           3000);
}

// The composition time of an AVC video tag (bytes 2-4 of its payload, signed).
std::int32_t compositionMs(const Bytes& payload)
{
    const std::int32_t raw = (payload[2] << 16) | (payload[3] << 8) | payload[4];
    return raw & 0x800000 ? raw - 0x1000000 : raw;
}

void setCompositionMs(Bytes& payload, std::int32_t ms)
{
    const auto bits = std::uint32_t(ms) & 0xFFFFFF;
    payload[2] = std::uint8_t(bits >> 16);
    payload[3] = std::uint8_t(bits >> 8);
    payload[4] = std::uint8_t(bits);
}

// The sound right after a seek is whole: a steady tone keeps its loudness across the seek.
// An AAC decoder that meets the target's frame first builds it on silence (its transform
// overlaps the frame before), and the tone fades in over some 20 ms. The silence the
// device plays while the seek refills its buffer is exact zeros and is left out.
TEST(StreamSeek, TheSoundRightAfterTheTargetIsWhole)
{
    DiskAudio sound;
    {
        StreamRecorder r(false, true);
        r.stream->play(fixture("h264_aac.flv"));  // a 440 Hz tone for 3 s
        ASSERT_TRUE(QTest::qWaitFor([&] { return r.stream->time() > 0.3; }, 5000));
        r.stream->seek(1.5);  // onto a keyframe: the sound before it lies before it in the file
        ASSERT_TRUE(r.waitFor(kPlayStop, 8000));
    }
    std::vector<float> heard = sound.samples();
    std::erase(heard, 0.0f);
    // Windows of a few periods of the tone whatever the device's rate and channels;
    // the file's own first and last frames, which fade in and out, are left out.
    constexpr std::size_t kWindow = 512, kEdge = 4096;
    ASSERT_GT(heard.size(), 2 * kEdge + 20 * kWindow);
    std::vector<double> loudness;
    for (std::size_t at = kEdge; at + kWindow <= heard.size() - kEdge; at += kWindow)
        loudness.push_back(DiskAudio::rootMeanSquare(std::span(heard).subspan(at, kWindow)));
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    EXPECT_GT(median, 0.05);
    for (std::size_t i = 0; i < loudness.size(); ++i)
        EXPECT_GT(loudness[i], 0.7 * median) << "window " << i << " of " << loudness.size();
}

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
    r.stream->seek(2.95);  // 1.25 s after the keyframe at 1.7 s
    EXPECT_TRUE(showing(r, 27));
    r.stream->seek(1.45);  // 1.25 s after the first keyframe
    EXPECT_TRUE(showing(r, 12));
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
            EXPECT_TRUE(showing(r, frame)) << file << " at " << target << " shows "
                << (r.frames.empty() ? -1 : StreamRecorder::frameNumber(r.frames.back()));
        }
    }
}

// A damaged video tag that the timeline drops is not taken for a picture while the reader
// looks ahead for the one at the target: stamped just before the target, it would have
// every picture before it left out of decoding, the target's own among them (frame 20,
// which nothing refers to). The H.264 clip's video is stretched twenty times, so that its
// second keyframe interval lasts 30 s and the damaged tag, right after the keyframe, lies
// further from it than the timeline lets a tag step.
TEST(StreamSeek, ATagTheTimelineDropsIsNotTakenForThePictureAtTheTarget)
{
    constexpr std::uint32_t kStretch = 20;
    constexpr std::uint8_t kVideo = 9, kNalu = 1, kKeyframe = 1, kInterFrame = 2, kAvc = 7;
    FlvTags f = FlvTags::read(fixture("h264_aac.flv"));
    std::erase_if(f.tags, [&](const FlvTags::Tag& t) { return t.type != kVideo; });
    f.audio = false;
    std::size_t keyframes = 0;
    std::size_t afterSecondKeyframe = 0;
    for (std::size_t i = 0; i < f.tags.size(); ++i) {
        FlvTags::Tag& t = f.tags[i];
        t.timestampMs *= kStretch;
        if (t.payload.size() < 5 || t.payload[1] != kNalu)
            continue;
        setCompositionMs(t.payload, compositionMs(t.payload) * std::int32_t(kStretch));
        if (t.payload[0] >> 4 == kKeyframe && ++keyframes == 2)
            afterSecondKeyframe = i + 1;
    }
    ASSERT_GT(afterSecondKeyframe, 0u);
    ASSERT_LT(afterSecondKeyframe, f.tags.size());
    // Frame n now stands at 20 x (0.2 + n / 10) s: frame 20 at 44 s, frame 21 at 46 s.
    constexpr double kTarget = 45;
    FlvTags::Tag damaged = f.tags[afterSecondKeyframe];
    damaged.payload[0] = std::uint8_t(kInterFrame << 4 | kAvc);
    setCompositionMs(damaged.payload, 0);
    damaged.timestampMs = 44500;
    f.tags.insert(f.tags.begin() + std::ptrdiff_t(afterSecondKeyframe), damaged);
    QTemporaryDir dir;
    const std::string path = fromQt(dir.filePath("stretched.flv"));
    writeFile(path, f.bytes());

    StreamRecorder r;
    r.stream->play(path);
    ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
    r.stream->pause();
    r.stream->seek(kTarget);
    EXPECT_TRUE(showing(r, 20)) << "shows " << (r.frames.empty() ? -1 : StreamRecorder::frameNumber(r.frames.back()));
}

} // namespace
} // namespace zepo::test
