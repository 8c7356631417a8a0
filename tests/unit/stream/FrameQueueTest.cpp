#include "stream/FrameQueue.h"

#include <gtest/gtest.h>
#include <future>

namespace zepo::stream {
namespace {

DecodedFrame picture(int serial, double pts)
{
    return DecodedFrame{FramePtr(av_frame_alloc()), serial, pts};
}

// Long enough for a push that should wait to have returned if it did not.
constexpr auto kStillWaiting = std::chrono::milliseconds(20);

class FrameQueueTest : public ::testing::Test {
protected:
    // The decoder runs ahead until the queue is full; the next push waits.
    std::future<bool> fillAndPushOneMore()
    {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(queue.push(picture(1, i * 0.04)));
        auto waiting = std::async(std::launch::async, [this] { return queue.push(picture(1, 0.12)); });
        EXPECT_EQ(waiting.wait_for(kStillWaiting), std::future_status::timeout);
        return waiting;
    }

    FrameQueueTest() { queue.flush(1); }
    FrameQueue queue;
};

// A seek must not wait behind pictures nobody will see: the flush drops them, a push of
// the old generation waiting for room gives up and its picture is dropped, and so is one
// made later, with the end of the old generation.
TEST_F(FrameQueueTest, ASeekNeverWaitsBehindStalePictures)
{
    auto stale = fillAndPushOneMore();
    queue.flush(2);
    EXPECT_TRUE(stale.get());
    EXPECT_TRUE(queue.push(picture(1, 0.16)));
    queue.markEnd(1);
    EXPECT_FALSE(queue.hasSerial(1));
    EXPECT_FALSE(queue.endedIn(2));

    EXPECT_TRUE(queue.push(picture(2, 5.0)));
    queue.markEnd(2);
    EXPECT_TRUE(queue.endedIn(2));
    EXPECT_EQ(queue.pop()->pts, 5.0);
    EXPECT_FALSE(queue.pop());
    EXPECT_TRUE(queue.endedIn(2));
}

TEST_F(FrameQueueTest, TakingAPictureMakesRoomAndClosingEndsEveryWait)
{
    auto waiting = fillAndPushOneMore();
    EXPECT_EQ(queue.pop()->pts, 0.0);
    EXPECT_TRUE(waiting.get());
    EXPECT_TRUE(queue.hasSerial(1));

    waiting = std::async(std::launch::async, [this] { return queue.push(picture(1, 0.16)); });
    queue.close();
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(queue.push(picture(1, 0.2)));
    EXPECT_FALSE(queue.pop());
}

} // namespace
} // namespace zepo::stream
