#include "stream/AudioBuffer.h"

#include <gtest/gtest.h>
#include <thread>

namespace zepo::stream {
namespace {

constexpr int kRate = 1000;  // one frame per millisecond keeps the arithmetic readable

AudioChunk chunk(int serial, double pts, std::size_t frames, float value = 1.0f)
{
    return AudioChunk{serial, pts, std::vector<float>(frames, value), 0};
}

class AudioBufferTest : public ::testing::Test {
protected:
    AudioBufferTest()
    {
        buffer.configure(kRate, 1);
        buffer.flush(1);
    }
    AudioBuffer buffer;
    std::vector<float> out = std::vector<float>(100, -1.0f);
};

TEST_F(AudioBufferTest, PlaysInOrderWithTheVolume)
{
    ASSERT_TRUE(buffer.push(chunk(1, 0.0, 30, 1.0f)));
    ASSERT_TRUE(buffer.push(chunk(1, 0.03, 30, 0.5f)));
    const auto p = buffer.pull(out.data(), 50, 0.0, 0.5f);
    EXPECT_EQ(p.frames, 50u);
    EXPECT_EQ(p.firstPts, 0.0);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[29], 0.5f);
    EXPECT_EQ(out[30], 0.25f);
    const auto rest = buffer.pull(out.data(), 50, 0.05, 1.0f);
    EXPECT_EQ(rest.frames, 10u);
    EXPECT_NEAR(rest.firstPts, 0.05, 1e-9);
    EXPECT_FALSE(buffer.hasSerial(1));
}

// Sound stamped well after the clock (a gap in the track) waits; the clock runs on in
// silence until it is due.
TEST_F(AudioBufferTest, WaitsAcrossAGap)
{
    buffer.push(chunk(1, 4150.0, 20));
    EXPECT_EQ(buffer.pull(out.data(), 10, 100.0, 1.0f).frames, 0u);
    EXPECT_TRUE(buffer.hasSerial(1));
    EXPECT_EQ(buffer.pull(out.data(), 10, 4150.0, 1.0f).frames, 10u);
}

// A gap between two stretches of one track is played as silence exactly as long as the
// gap, inside one device buffer or across two, so the sound after it (and the clock that
// follows the sound) is on time; a stamp that is off by the millisecond rounding of FLV
// stamps is no gap.
TEST_F(AudioBufferTest, PlaysAGapInTheTrackAsSilenceOfItsLength)
{
    buffer.push(chunk(1, 0.0, 30, 1.0f));
    buffer.push(chunk(1, 0.05, 30, 0.5f));   // 20 ms after the first ends
    buffer.push(chunk(1, 0.081, 10, 0.25f)); // 1 ms late: rounding
    buffer.push(chunk(1, 0.141, 10, 1.0f));  // 50 ms after
    const auto p = buffer.pull(out.data(), 100, 0.0, 1.0f);
    EXPECT_EQ(p.frames, 100u);
    EXPECT_EQ(p.firstPts, 0.0);
    EXPECT_EQ(out[29], 1.0f);
    EXPECT_EQ(out[30], 0.0f);
    EXPECT_EQ(out[49], 0.0f);
    EXPECT_EQ(out[50], 0.5f);
    EXPECT_EQ(out[80], 0.25f);
    EXPECT_EQ(out[89], 0.25f);
    EXPECT_EQ(out[90], 0.0f);
    EXPECT_EQ(out[99], 0.0f);
    // The rest of the gap opens the next buffer, which stands where the gap left off.
    const auto rest = buffer.pull(out.data(), 100, 0.1, 1.0f);
    EXPECT_NEAR(rest.firstPts, 0.101, 1e-9);
    EXPECT_EQ(rest.frames, 50u);
    EXPECT_EQ(out[39], 0.0f);
    EXPECT_EQ(out[40], 1.0f);
    EXPECT_EQ(out[49], 1.0f);
}

// Sound that continues what was played goes on even when the clock stands still (at the
// end of the file the clock stops at the last timestamp while the last sound plays out).
TEST_F(AudioBufferTest, ContinuousSoundPlaysOutPastAStoppedClock)
{
    buffer.push(chunk(1, 2.9, 300));
    std::size_t total = 0;
    for (int i = 0; i < 10; ++i)
        total += buffer.pull(out.data(), 50, 2.9, 1.0f).frames;
    EXPECT_EQ(total, 300u);
}

TEST_F(AudioBufferTest, DropsSoundOfEarlierSeeksAndSoundLongPast)
{
    buffer.push(chunk(1, 0.0, 10));
    buffer.markEnd(1);
    buffer.flush(2);
    buffer.push(chunk(1, 0.01, 10));  // decoded before the seek: not kept
    buffer.markEnd(1);
    EXPECT_FALSE(buffer.hasSerial(1));
    EXPECT_FALSE(buffer.endedIn(1));
    EXPECT_FALSE(buffer.endedIn(2));
    buffer.push(chunk(2, 5.0, 10));
    const auto p = buffer.pull(out.data(), 50, 5.0, 1.0f);
    EXPECT_EQ(p.frames, 10u);
    EXPECT_EQ(p.firstPts, 5.0);

    buffer.push(chunk(2, 1.0, 10));  // ends a whole second before the clock
    buffer.push(chunk(2, 6.0, 10));
    const auto late = buffer.pull(out.data(), 50, 6.0, 1.0f);
    EXPECT_EQ(late.firstPts, 6.0);
    buffer.markEnd(2);
    EXPECT_TRUE(buffer.endedIn(2));
}

TEST_F(AudioBufferTest, ClosingReleasesAWaitingPush)
{
    for (int i = 0; i < 5; ++i)
        buffer.push(chunk(1, i * 0.1, 100));  // the half second it holds
    std::thread t([&] { EXPECT_FALSE(buffer.push(chunk(1, 1.0, 100))); });
    buffer.close();
    t.join();
}

} // namespace
} // namespace zepo::stream
