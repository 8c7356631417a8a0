#include "stream/Pacer.h"

#include "stream/NetStream.h"
#include "tests/unit/stream/RecordingEvents.h"

#include <cstring>
#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

using Phase = SessionPhase::Phase;
using std::chrono::milliseconds;

// A decoded picture told apart by its width, which it is shown at while no display size
// is set.
FramePtr pictureOfWidth(int width)
{
    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = 8;
    frame->format = AV_PIX_FMT_YUV420P;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane)
        std::memset(frame->data[plane], 128, std::size_t(frame->linesize[plane]) * 8);
    return frame;
}

// The pacer turn by turn, with the decoders and the reader played by the test. Paused,
// the clock stands still, so every turn sees the same time.
class PacerTest : public ::testing::Test {
protected:
    PacerTest()
    {
        s.videoWanted = true;
        s.audioWanted = false;
    }

    // The reader got to the current generation's start and read up to `ms`.
    void readTo(std::int64_t ms, bool atEnd = false)
    {
        std::lock_guard lock(s.mutex);
        s.read = {s.phase.serial(), ms, atEnd};
    }
    void decoded(double pts, int width)
    {
        ASSERT_TRUE(s.frames.push(DecodedFrame{pictureOfWidth(width), s.phase.serial(), pts}));
    }
    // A turn this long after the current generation began.
    double turn(milliseconds after = milliseconds(0)) { return pacer.turn(s.phase.state().since + after); }
    Phase phase() const { return s.phase.state().phase; }
    std::vector<int> shownWidths() const
    {
        std::vector<int> widths;
        for (const Picture& p : events->pictures())
            widths.push_back(p.size().width);
        return widths;
    }

    std::shared_ptr<RecordingEvents> events = std::make_shared<RecordingEvents>();
    SessionState s{"/films/a.flv", events, true};
    Pacer pacer{s};
};

// The picture a seek lands on shows at once, while the clock is still held; the clock
// starts once the reader has got there and a picture of the new generation waits. A
// picture of the generation before, taken from the queue ahead of its time, is never shown.
TEST_F(PacerTest, ASeekShowsItsTargetsPictureAndNothingOfTheGenerationBefore)
{
    s.phase.setPaused(true);
    readTo(0);
    decoded(0.0, 10);
    turn();
    EXPECT_EQ(phase(), Phase::Paused);
    decoded(0.04, 12);
    EXPECT_NEAR(turn(), 0.04, 1e-9) << "the next picture is due in 40 ms";

    s.seek(5.0);
    decoded(5.0 - 0.04, 14);  // the decoder is quicker than the reader's news
    turn();
    EXPECT_EQ(shownWidths(), (std::vector<int>{10, 14}));
    EXPECT_EQ(phase(), Phase::Seeking) << "the reader has not got there yet";
    readTo(5000);
    turn();
    EXPECT_EQ(phase(), Phase::Seeking) << "no picture waits";
    decoded(5.0, 16);
    decoded(5.04, 18);
    EXPECT_NEAR(turn(), 0.04, 1e-9);
    EXPECT_EQ(phase(), Phase::Paused);
    EXPECT_EQ(shownWidths(), (std::vector<int>{10, 14, 16}));
}

// A picture whose successor is due already is skipped; the display follows a new size
// with the picture it shows.
TEST_F(PacerTest, SkipsALatePictureAndRedrawsAtANewSize)
{
    s.phase.setPaused(true);
    s.seek(5.0);
    readTo(5000);
    decoded(4.90, 10);
    turn();
    decoded(4.92, 12);
    decoded(4.96, 14);
    decoded(5.00, 16);
    turn();
    EXPECT_EQ(shownWidths(), (std::vector<int>{10, 16}));

    {
        std::lock_guard lock(s.mutex);
        s.videoSize = {32, 24};
        ++s.videoSizeVersion;
    }
    turn();
    EXPECT_EQ(shownWidths(), (std::vector<int>{10, 16, 32}));
}

// A track with nothing at the target holds the start two seconds at most; a track whose
// decoder waits for packets while the reader is well past the target has a gap there and
// holds nothing up.
TEST_F(PacerTest, AnEmptyTrackHoldsTheStartForAWhileAndAGapNotAtAll)
{
    s.audioWanted = true;
    s.phase.setPaused(true);
    s.seek(5.0);
    readTo(5000);
    decoded(5.0, 10);
    turn();
    turn(milliseconds(1999));
    EXPECT_EQ(phase(), Phase::Seeking);
    turn(milliseconds(2000));
    EXPECT_EQ(phase(), Phase::Paused);

    s.videoWanted = false;  // the sound alone
    s.seek(5.0);
    s.audioIdle = true;
    readTo(5999);
    turn();
    EXPECT_EQ(phase(), Phase::Seeking);
    readTo(6000);
    turn();
    EXPECT_EQ(phase(), Phase::Paused);
}

// The end is told once everything up to the last timestamp was presented and the
// decoder's end is in, once: not again after a pause and resume, again after a seek.
TEST_F(PacerTest, TellsTheEndOncePerGeneration)
{
    {
        std::lock_guard lock(s.mutex);
        s.indexDone = true;
    }
    s.clock.setEnd(2.0);
    s.seek(2.0);
    readTo(2000, true);
    decoded(2.0, 10);
    turn();
    EXPECT_EQ(phase(), Phase::Playing);
    turn();
    EXPECT_TRUE(events->statuses().empty()) << "the decoder's end is not in";

    s.frames.markEnd(s.phase.serial());
    turn();
    const std::vector<std::string> end{kBufferEmpty, kPlayStop};
    EXPECT_EQ(events->statuses(), end);
    EXPECT_EQ(phase(), Phase::Ended);
    s.phase.setPaused(true);
    turn();
    s.phase.setPaused(false);
    turn();
    EXPECT_EQ(events->statuses(), end);

    s.seek(2.0);
    readTo(2000, true);
    s.frames.markEnd(s.phase.serial());
    turn();
    turn();
    EXPECT_EQ(events->statuses().size(), 4u);
}

} // namespace
} // namespace zepo::stream
