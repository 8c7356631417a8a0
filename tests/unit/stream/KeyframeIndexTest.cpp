#include "stream/Amf0.h"
#include "stream/IndexBuilder.h"
#include "stream/KeyframeIndex.h"
#include "tests/unit/FlvBytes.h"
#include "tests/unit/stream/TwoSecondClip.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

namespace amf = test::amf;
using test::Bytes;
using test::operator+;
using test::FlvBytes;

FlvReader open(const Bytes& bytes)
{
    return std::move(*FlvReader::open(std::make_unique<MemorySource>(bytes)));
}

// An AVC frame as length-prefixed NAL units; `idr` puts an IDR slice in it.
Bytes avcFrame(bool flaggedKey, bool idr)
{
    Bytes b{std::uint8_t(flaggedKey ? 0x17 : 0x27), 1, 0, 0, 0};
    const Bytes aud{0, 0, 0, 2, 0x09, 0x30};
    const Bytes slice{0, 0, 0, 3, std::uint8_t(idr ? 0x65 : 0x41), 0x88, 0x84};
    return b + aud + slice;
}

TEST(KeyframeIndexScan, FindsVideoKeyframesAndTheEnd)
{
    const FlvBytes f = twoSecondClip();
    FlvReader reader = open(f.bytes);
    auto index = KeyframeIndex::scan(reader);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->points().size(), 2u);
    EXPECT_EQ(index->points()[0].timeMs, 0u);
    EXPECT_EQ(index->points()[1].timeMs, 1000u);
    EXPECT_EQ(index->points()[1].position, f.positions[1 + 2 * 10]);
    EXPECT_EQ(index->lastTimestampMs(), 1926u);

    EXPECT_EQ(index->at(0)->timeMs, 0u);
    EXPECT_EQ(index->at(999)->timeMs, 0u);
    EXPECT_EQ(index->at(1000)->timeMs, 1000u);
    EXPECT_EQ(index->at(99999)->timeMs, 1000u);
}

// One writer flags every AVC frame as inter; its IDR slices are the keyframes.
TEST(KeyframeIndexScan, TellsAvcKeyframesByTheirNalUnits)
{
    FlvBytes f;
    f.tag(9, 0, Bytes{0x17, 0, 0, 0, 0, 1, 0x42});  // sequence header: not a frame
    for (int i = 0; i < 6; ++i)
        f.tag(9, std::uint32_t(i * 100 + 40), avcFrame(false, i == 0 || i == 3));
    FlvReader reader = open(f.bytes);
    auto index = KeyframeIndex::scan(reader);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->points().size(), 2u);
    EXPECT_EQ(index->points()[0].timeMs, 40u);
    EXPECT_EQ(index->points()[1].timeMs, 340u);
}

TEST(KeyframeIndexScan, AudioOnlyGetsAPointPerSecond)
{
    FlvBytes f;
    for (int i = 0; i < 100; ++i)
        f.tag(8, std::uint32_t(i * 26), test::mp3Audio());
    FlvReader reader = open(f.bytes);
    auto index = KeyframeIndex::scan(reader);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->points().size(), 3u);  // 0, 1014, 2028 ms
    EXPECT_EQ(index->at(1500)->timeMs, 1014u);
    EXPECT_EQ(index->lastTimestampMs(), 99u * 26);
}

// Video without any keyframe flag still has somewhere to start: its first tag.
TEST(KeyframeIndexScan, VideoWithoutKeyframesStartsAtTheTop)
{
    FlvBytes f;
    for (int i = 0; i < 5; ++i)
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(false));
    FlvReader reader = open(f.bytes);
    auto index = KeyframeIndex::scan(reader);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->points().size(), 1u);
    EXPECT_EQ(index->points()[0].position, f.positions[0]);
}

// The scan places the tags as playback does: a lone tag hours ahead neither makes the
// file hours long nor becomes a seek point, and a lasting jump is crossed, with the shift
// in force at each seek point recorded for the reader.
TEST(KeyframeIndexScan, PlacesTagsOnOneSteadyTimeline)
{
    constexpr std::uint32_t kTwoHours = 2 * 3600 * 1000;
    FlvBytes lone = twoSecondClip();
    lone.tag(9, 1950 + kTwoHours, test::h263Frame(true)).tag(8, 1952, test::mp3Audio());
    FlvReader a = open(lone.bytes);
    auto loneIndex = KeyframeIndex::scan(a);
    ASSERT_TRUE(loneIndex);
    EXPECT_EQ(loneIndex->lastTimestampMs(), 1952u);
    EXPECT_EQ(loneIndex->points().size(), 2u);

    FlvBytes jump;
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t t = std::uint32_t(i * 100) + (i >= 20 ? kTwoHours : 0);
        jump.tag(9, t, test::h263Frame(i % 10 == 0)).tag(8, t + 26, test::mp3Audio());
    }
    FlvReader b = open(jump.bytes);
    auto jumpIndex = KeyframeIndex::scan(b);
    ASSERT_TRUE(jumpIndex);
    ASSERT_EQ(jumpIndex->points().size(), 4u);
    // The tag after the jump follows the one before it by one frame (1926 + 40 ms).
    const SeekPoint& afterJump = jumpIndex->points()[2];
    EXPECT_EQ(afterJump.timeMs, 1966u);
    EXPECT_EQ(afterJump.position, jump.positions[40]);
    EXPECT_EQ(afterJump.shiftMs, 1966 - std::int64_t(2000 + kTwoHours));
    EXPECT_EQ(jumpIndex->points()[3].timeMs, 2966u);
    EXPECT_EQ(jumpIndex->lastTimestampMs(), 3892u);
    EXPECT_EQ(jumpIndex->points()[1].shiftMs, 0);
}

TEST(KeyframeIndexScan, StopsWhenCancelled)
{
    const FlvBytes f = twoSecondClip();
    FlvReader reader = open(f.bytes);
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(KeyframeIndex::scan(reader, &cancel));
    EXPECT_EQ(buildIndex(std::make_unique<MemorySource>(f.bytes), cancel), nullptr);
}

AmfValue keyframes(const std::vector<double>& times, const std::vector<double>& positions)
{
    const Bytes b = amf::string("onMetaData")
        + amf::ecma({{"keyframes", amf::object({{"times", amf::numbers(times)}, {"filepositions", amf::numbers(positions)}})}}, 1);
    return decodeScriptData(b)->arguments.at(0);
}

// The metadata's index is taken when the file agrees with it, and gives what a scan does.
TEST(KeyframeIndexMetadata, TakenWhenTheFileAgrees)
{
    const FlvBytes f = twoSecondClip();
    FlvReader reader = open(f.bytes);
    const double second = double(f.positions[21]);
    auto index = KeyframeIndex::fromMetadata(keyframes({0, 1.0}, {double(f.positions[1]), second}), reader);
    ASSERT_TRUE(index.has_value());
    ASSERT_EQ(index->points().size(), 2u);
    EXPECT_EQ(index->points()[1].position, f.positions[21]);
    EXPECT_EQ(index->lastTimestampMs(), 1926u);  // from the tags at the end of the file
}

TEST(KeyframeIndexMetadata, RefusedWhenItDisagrees)
{
    const FlvBytes f = twoSecondClip();
    const double first = double(f.positions[1]);
    const double second = double(f.positions[21]);
    const struct {
        const char* why;
        AmfValue metadata;
    } cases[] = {
        {"position off by one", keyframes({0, 1.0}, {first, second + 1})},
        {"time does not match the tag", keyframes({0, 1.5}, {first, second})},
        {"position of an inter frame", keyframes({0, 0.1}, {first, double(f.positions[3])})},
        {"beyond the end of a cut file", keyframes({0, 1.0, 40.0}, {first, second, 1e7})},
        {"room for a jump between its times", keyframes({0, 11.0}, {first, second})},
        {"unsorted", keyframes({1.0, 0}, {second, first})},
        {"arrays of different length", keyframes({0}, {first, second})},
        {"empty arrays", keyframes({}, {})},
        {"no keyframes object", decodeScriptData(amf::string("onMetaData") + amf::ecma({{"keyframes", amf::object({})}}, 1))->arguments.at(0)},
    };
    for (const auto& c : cases) {
        FlvReader reader = open(f.bytes);
        EXPECT_FALSE(KeyframeIndex::fromMetadata(c.metadata, reader).has_value()) << c.why;
    }
}

// The whole road: the first onMetaData of the file is found, and a consistent index
// in it is used (it names only the first of the file's two keyframes, so a scan would
// give more); a file without one is scanned.
TEST(KeyframeIndexBuild, UsesTheFilesOwnIndexOrScans)
{
    const std::size_t metadataSize = (amf::string("onMetaData")
                                      + amf::ecma({{"keyframes", amf::object({{"times", amf::numbers({0})},
                                                                              {"filepositions", amf::numbers({0})}})}},
                                                  1))
                                         .size();
    FlvBytes f;
    const double firstVideo = 13 + 11 + double(metadataSize) + 4;
    f.tag(18, 0, amf::string("onMetaData")
              + amf::ecma({{"keyframes", amf::object({{"times", amf::numbers({0})}, {"filepositions", amf::numbers({firstVideo})}})}}, 1));
    f.tag(9, 0, test::h263Frame(true)).tag(9, 100, test::h263Frame(false)).tag(9, 1000, test::h263Frame(true));
    ASSERT_EQ(f.positions[1], std::size_t(firstVideo));
    std::atomic<bool> never{false};
    auto index = buildIndex(std::make_unique<MemorySource>(f.bytes), never);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->points().size(), 1u);
    EXPECT_EQ(index->lastTimestampMs(), 1000u);

    auto scanned = buildIndex(std::make_unique<MemorySource>(twoSecondClip().bytes), never);
    ASSERT_NE(scanned, nullptr);
    EXPECT_EQ(scanned->points().size(), 2u);
    EXPECT_EQ(buildIndex(std::make_unique<MemorySource>(Bytes{'n', 'o'}), never), nullptr);
}

} // namespace
} // namespace zepo::stream
