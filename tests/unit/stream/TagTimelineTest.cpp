#include "stream/TagTimeline.h"

#include <gtest/gtest.h>
#include <vector>

namespace zepo::stream {
namespace {

// Places a run of raw timestamps as the reader meets them (each one's successor is known)
// and gives the times kept, -1 for a tag dropped.
std::vector<std::int64_t> placeAll(const std::vector<std::uint32_t>& raw, TagTimeline timeline = {})
{
    std::vector<std::int64_t> out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto p = timeline.place(raw[i], [&]() -> std::optional<std::uint32_t> {
            if (i + 1 < raw.size())
                return raw[i + 1];
            return std::nullopt;
        });
        out.push_back(p.keep ? std::int64_t(p.timeMs) : -1);
    }
    return out;
}

// A timeline that has come to `ms` with the file's own times.
TagTimeline at(std::uint32_t ms)
{
    TagTimeline t;
    t.restart(ms, 0);
    return t;
}

constexpr std::uint32_t kTwoHours = 2 * 3600 * 1000;
constexpr std::uint32_t kExtensionBit = 1u << 28;  // one flipped bit of the extended byte: 74.6 h

// An ordinary file: interleaved, slightly out of order, with a still picture of some
// seconds; nothing changes.
TEST(TagTimeline, KeepsAnOrdinaryFlowAsItIs)
{
    const std::vector<std::uint32_t> raw{0, 26, 0, 40, 52, 80, 9000, 9026, 9040, 8990};
    const std::vector<std::int64_t> expected(raw.begin(), raw.end());
    EXPECT_EQ(placeAll(raw), expected);
}

// The flow reaches exactly the step either way: a still picture of ten seconds, or audio
// ten seconds behind the video, is no jump.
TEST(TagTimeline, AStepOfExactlyTheLimitStaysInTheFlow)
{
    const auto step = std::uint32_t(TagTimeline::kMaxStepMs);
    EXPECT_EQ(placeAll({0, step, step + 40}), (std::vector<std::int64_t>{0, step, step + 40}));
    EXPECT_EQ(placeAll({2 * step, step, 2 * step + 40}, at(2 * step)),
              (std::vector<std::int64_t>{2 * step, step, 2 * step + 40}));
    // One millisecond further is out of the flow; the tag after it goes on from the flow,
    // so it was damage.
    EXPECT_EQ(placeAll({0, step + 1, 40}), (std::vector<std::int64_t>{0, -1, 40}));
}

// A lone tag far ahead or far behind the flow, or with a flipped bit, is dropped; the tags
// around it keep their times.
TEST(TagTimeline, DropsALoneTagOutOfTheFlow)
{
    EXPECT_EQ(placeAll({1000, 1040, 1000 + kTwoHours, 1080, 1120}),
              (std::vector<std::int64_t>{1000, 1040, -1, 1080, 1120}));
    EXPECT_EQ(placeAll({60000, 60040, 60080 | kExtensionBit, 60120}, at(60000)),
              (std::vector<std::int64_t>{60000, 60040, -1, 60120}));
    EXPECT_EQ(placeAll({60000, 60040, 40, 60080}, at(60000)), (std::vector<std::int64_t>{60000, 60040, -1, 60080}));
    // The last tag of the file has nothing after it to go on from it.
    EXPECT_EQ(placeAll({0, 40, kTwoHours}), (std::vector<std::int64_t>{0, 40, -1}));
}

// A jump that the tags after it go on from is crossed at once, forward and backward
// (a writer's clock restarting at 0): the time goes on from the latest time.
TEST(TagTimeline, CrossesALastingJumpAtOnce)
{
    EXPECT_EQ(placeAll({1000, 1040, kTwoHours, kTwoHours + 26, kTwoHours + 40}),
              (std::vector<std::int64_t>{1000, 1040, 1080, 1106, 1120}));
    EXPECT_EQ(placeAll({30000, 30040, 0, 26, 40}, at(30000)),
              (std::vector<std::int64_t>{30000, 30040, 30080, 30106, 30120}));

    // A file whose clock starts hours in starts at the top.
    TagTimeline late;
    const auto first = late.place(kTwoHours, [] { return std::optional<std::uint32_t>(kTwoHours + 40); });
    EXPECT_TRUE(first.keep);
    EXPECT_TRUE(first.crossedJump);
    EXPECT_EQ(first.timeMs, 40u);
    EXPECT_EQ(late.shiftMs(), 40 - std::int64_t(kTwoHours));
}

// After a seek the timeline goes on with the shift recorded at the seek point.
TEST(TagTimeline, RestartsWithAKnownShift)
{
    TagTimeline t;
    t.restart(1080, 1080 - std::int64_t(kTwoHours));
    EXPECT_EQ(placeAll({kTwoHours, kTwoHours + 40}, t), (std::vector<std::int64_t>{1080, 1120}));
    EXPECT_EQ(placeAll({kTwoHours + 40}, at(0)), (std::vector<std::int64_t>{-1}));  // not with the top's
}

} // namespace
} // namespace zepo::stream
