#include "stream/MasterClock.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The clock is read at chosen instants (nowAt), so nothing here sleeps. A running clock is
// read as the session's threads read it: every few milliseconds (a longer silence is a stall).
double readFor(const MasterClock& c, Clock::time_point from, Clock::duration length)
{
    for (auto at = from; at < from + length; at += 20ms)
        c.nowAt(at);
    return c.nowAt(from + length);
}

TEST(MasterClock, HeldUntilReleasedThenRuns)
{
    MasterClock c;
    EXPECT_TRUE(c.held());
    EXPECT_EQ(c.nowAt(Clock::now() + 5s), 0);
    c.seekTo(2.5);
    EXPECT_EQ(c.nowAt(Clock::now() + 5s), 2.5);
    c.release();
    EXPECT_TRUE(c.running());
    EXPECT_NEAR(readFor(c, Clock::now(), 1s), 3.5, 0.01);
}

TEST(MasterClock, PauseStopsItWhereItIs)
{
    MasterClock c;
    c.release();
    c.setPaused(true);
    const double at = c.now();
    EXPECT_EQ(c.nowAt(Clock::now() + 10s), at);
    c.seekTo(1.0);  // seeking while paused stays paused
    c.release();
    EXPECT_EQ(c.nowAt(Clock::now() + 10s), 1.0);
    c.setPaused(false);
    EXPECT_NEAR(readFor(c, Clock::now(), 1s), 2.0, 0.01);
}

// It never passes the end, and a seek beyond the end lands on it.
TEST(MasterClock, StopsAtTheEnd)
{
    MasterClock c;
    c.setEnd(3.0);
    c.release();
    EXPECT_EQ(readFor(c, Clock::now(), 4s), 3.0);
    c.seekTo(500);
    EXPECT_EQ(c.now(), 3.0);
    c.seekTo(-4);
    EXPECT_EQ(c.now(), 0.0);
}

// The sound re-anchors the clock; a correction backwards never shows as time going back.
TEST(MasterClock, FollowsTheSoundWithoutGoingBack)
{
    MasterClock c;
    c.release();
    const auto t = Clock::now();
    c.syncToAudio(10.0, t);
    EXPECT_NEAR(c.nowAt(t + 100ms), 10.1, 1e-6);
    c.syncToAudio(10.05, t + 100ms);  // the sound is 50 ms behind
    EXPECT_NEAR(c.nowAt(t + 100ms), 10.1, 1e-6);
    EXPECT_NEAR(c.nowAt(t + 200ms), 10.15, 1e-6);
    c.setPaused(true);
    c.syncToAudio(99, t);  // no effect while stopped
    EXPECT_LT(c.now(), 11);
}

// The process stood still (SIGSTOP, a debugger): whichever thread reads the clock first
// afterwards finds it where it was, and it runs on from there. A reading within the stall
// limit is ordinary time passing; paused or held, nothing runs to be stalled.
TEST(MasterClock, AStallOfTheProcessDoesNotCount)
{
    MasterClock c;
    c.release();
    const auto t = Clock::now();
    const double before = readFor(c, t, 2s);
    EXPECT_NEAR(c.nowAt(t + 7s), before, 1e-6);
    EXPECT_NEAR(readFor(c, t + 7s, 1s), before + 1, 0.01);
    EXPECT_NEAR(c.nowAt(t + 8s + MasterClock::kStall - 50ms), before + 1.45, 0.01);

    // The sound re-anchors it after the stall as ever.
    c.syncToAudio(20.0, t + 20s);
    EXPECT_NEAR(c.nowAt(t + 20s + 100ms), 20.1, 1e-6);

    c.setPaused(true);
    const double paused = c.now();
    c.setPaused(false);
    EXPECT_NEAR(readFor(c, Clock::now(), 1s), paused + 1, 0.01);
}

} // namespace
} // namespace zepo::stream
