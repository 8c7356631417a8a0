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
            EXPECT_TRUE(queue.push(picture(1, i * 0.04), serial));
        auto waiting = std::async(std::launch::async, [this] { return queue.push(picture(1, 0.12), serial); });
        EXPECT_EQ(waiting.wait_for(kStillWaiting), std::future_status::timeout);
        return waiting;
    }

    FrameQueue queue;
    std::atomic<int> serial{1};
};

// A seek must not wait behind pictures nobody will see: a push of the old generation
// gives up and its picture is dropped, and the new generation finds room once the pacer
// drops the old pictures.
TEST_F(FrameQueueTest, ASeekNeverWaitsBehindStalePictures)
{
    auto stale = fillAndPushOneMore();
    serial = 2;
    queue.wake();
    EXPECT_TRUE(stale.get());
    EXPECT_TRUE(queue.push(picture(1, 0.16), serial));

    auto fresh = std::async(std::launch::async, [this] { return queue.push(picture(2, 5.0), serial); });
    EXPECT_EQ(fresh.wait_for(kStillWaiting), std::future_status::timeout);
    queue.dropOtherSerials(2);
    EXPECT_TRUE(fresh.get());
    EXPECT_FALSE(queue.hasSerial(1));
    EXPECT_EQ(queue.pop()->pts, 5.0);
    EXPECT_FALSE(queue.pop());
}

TEST_F(FrameQueueTest, TakingAPictureMakesRoomAndClosingEndsEveryWait)
{
    auto waiting = fillAndPushOneMore();
    EXPECT_EQ(queue.pop()->pts, 0.0);
    EXPECT_TRUE(waiting.get());
    EXPECT_TRUE(queue.hasSerial(1));

    waiting = std::async(std::launch::async, [this] { return queue.push(picture(1, 0.16), serial); });
    queue.close();
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(queue.push(picture(1, 0.2), serial));
    EXPECT_FALSE(queue.pop());
}

} // namespace
} // namespace zepo::stream
