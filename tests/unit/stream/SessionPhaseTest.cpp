#include "stream/SessionPhase.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

using Phase = SessionPhase::Phase;

// The phase moves only as the session allows, and the clock follows it: held while opening
// or seeking, stopped while paused. A pause wished meanwhile waits for the start.
TEST(SessionPhase, PlaybackStartsFromAHeldGenerationOnlyAndKeepsThePauseWished)
{
    MasterClock clock;
    SessionPhase phase(clock);
    EXPECT_EQ(phase.state().phase, Phase::Opening);
    EXPECT_TRUE(clock.held());

    phase.setPaused(true);
    EXPECT_EQ(phase.state().phase, Phase::Opening);
    EXPECT_FALSE(phase.end(0));
    ASSERT_TRUE(phase.start(0));
    EXPECT_EQ(phase.state().phase, Phase::Paused);
    EXPECT_FALSE(clock.held());
    EXPECT_FALSE(phase.start(0)) << "started already";

    EXPECT_EQ(phase.seek(12.5), 1);
    EXPECT_EQ(phase.state().phase, Phase::Seeking);
    EXPECT_EQ(clock.now(), 12.5);
    EXPECT_FALSE(phase.start(0)) << "a generation no longer current";
    phase.setPaused(false);
    EXPECT_EQ(phase.state().phase, Phase::Seeking);
    ASSERT_TRUE(phase.start(1));
    EXPECT_EQ(phase.state().phase, Phase::Playing);
    EXPECT_TRUE(clock.running());
    phase.setPaused(true);
    EXPECT_EQ(phase.state().phase, Phase::Paused);
    EXPECT_TRUE(clock.paused());
}

// The end is reached once per generation, from playing: pausing and resuming after it does
// not play it again, a seek does.
TEST(SessionPhase, TheEndIsReachedOncePerGeneration)
{
    MasterClock clock;
    SessionPhase phase(clock);
    ASSERT_TRUE(phase.start(0));
    phase.setPaused(true);
    EXPECT_FALSE(phase.end(0)) << "paused";
    phase.setPaused(false);
    ASSERT_TRUE(phase.end(0));
    EXPECT_EQ(phase.state().phase, Phase::Ended);
    EXPECT_FALSE(phase.end(0));

    phase.setPaused(true);
    EXPECT_TRUE(clock.paused());
    phase.setPaused(false);
    EXPECT_EQ(phase.state().phase, Phase::Ended);
    EXPECT_FALSE(phase.end(0));

    const int serial = phase.seek(1.0);
    EXPECT_FALSE(phase.end(serial)) << "still held";
    ASSERT_TRUE(phase.start(serial));
    EXPECT_TRUE(phase.end(serial));
}

} // namespace
} // namespace zepo::stream
