#include "stream/Demuxer.h"

#include "stream/IndexBuilder.h"
#include "stream/NetStream.h"
#include "tests/unit/stream/RecordingEvents.h"
#include "tests/unit/stream/TwoSecondClip.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zepo::stream {
namespace {

using Kind = MediaPacket::Kind;

std::vector<MediaPacket> take(PacketQueue& queue)
{
    std::vector<MediaPacket> packets;
    std::atomic<bool> idle{false};
    while (!queue.empty())
        packets.push_back(*queue.pop(idle));
    return packets;
}

std::vector<std::uint32_t> dataTimes(const std::vector<MediaPacket>& packets)
{
    std::vector<std::uint32_t> times;
    for (const MediaPacket& p : packets) {
        if (p.kind == Kind::Data)
            times.push_back(p.dtsMs);
    }
    return times;
}

// The reader turn by turn on a file of the two-second clip, with its index built; the clock stands
// held at the start, as no pacer runs.
class DemuxerTest : public ::testing::Test {
protected:
    DemuxerTest()
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        std::lock_guard lock(s.mutex);
        s.index = buildIndex(FileSource::open(path), s.abort);
        s.indexDone = true;
    }
    ~DemuxerTest() override { std::filesystem::remove(path); }

    // Reads until it would wait; returns how long.
    double readOn()
    {
        for (int i = 0; i < 1000; ++i) {
            if (const auto wait = demuxer.step())
                return *wait;
        }
        ADD_FAILURE() << "the reader never waits";
        return 0;
    }
    SessionState::ReadProgress read()
    {
        std::lock_guard lock(s.mutex);
        return s.read;
    }

    const test::Bytes bytes = twoSecondClip().bytes;
    const std::string path = (std::filesystem::temp_directory_path()
                              / ("zepo-demuxer-" + std::to_string(::getpid()) + "-"
                                 + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".flv"))
                                 .string();
    std::shared_ptr<RecordingEvents> events = std::make_shared<RecordingEvents>();
    SessionState s{path, events, true};
    Demuxer demuxer{s};
};

// Tags go to the decoders of their tracks, as far ahead of the clock as the buffer time
// (a second at least); then the rest of the file, ending with a marker in each queue. The
// buffer is full once that is read and the index exists.
TEST_F(DemuxerTest, ReadsAheadByTheBufferTimeThenToTheEnd)
{
    s.videoWanted = true;
    s.bufferMs = 0;
    ASSERT_TRUE(demuxer.start());
    // Past a second ahead (the sound at 1.026 s), it sleeps until half a second is used.
    EXPECT_NEAR(readOn(), 0.026 + 0.5, 1e-9);
    EXPECT_EQ(read().ms, 1026);
    EXPECT_FALSE(read().atEnd);
    EXPECT_EQ(events->metaData(), 1);

    s.bufferMs = 10000;
    readOn();
    const auto video = take(s.videoPackets);
    const auto audio = take(s.audioPackets);
    ASSERT_EQ(video.size(), 21u);
    ASSERT_EQ(audio.size(), 21u);
    EXPECT_TRUE(video[0].info.keyframe);
    EXPECT_EQ(video[19].dtsMs, 1900u);
    EXPECT_EQ(audio[19].dtsMs, 1926u);
    EXPECT_EQ(video[20].kind, Kind::EndOfStream);
    EXPECT_EQ(audio[20].kind, Kind::EndOfStream);
    EXPECT_EQ(read().serial, 0);
    EXPECT_EQ(read().ms, 1926);
    EXPECT_TRUE(read().atEnd);
    EXPECT_EQ(events->statuses(), (std::vector<std::string>{kPlayStart, kBufferFull}));
    EXPECT_TRUE(events->errors().empty());
}

// A file that cannot be opened is told, and counts as nothing read: playback does not
// start on its account.
TEST_F(DemuxerTest, AFileThatCannotBeOpenedIsToldAndNothingCountsAsRead)
{
    std::filesystem::remove(path);
    EXPECT_FALSE(demuxer.start());
    EXPECT_EQ(events->statuses(), std::vector<std::string>{kStreamNotFound});
    ASSERT_EQ(events->errors().size(), 1u);
    EXPECT_EQ(events->errors()[0].kind, FlvErrorKind::Io);
    EXPECT_EQ(read().serial, -1);
}

// A seek flushes the queues at once; the reader then marks the new generation with the
// target and the picture shown there, starts the picture's decoding at the keyframe before
// the target, and the sound's half a second before the target, passing over the video
// tags before that keyframe.
TEST_F(DemuxerTest, ASeekStartsAtTheKeyframeBeforeWithTheSoundPrimed)
{
    s.videoWanted = true;
    ASSERT_TRUE(demuxer.start());
    readOn();
    s.seek(1.25);
    EXPECT_TRUE(s.videoPackets.empty());
    EXPECT_TRUE(s.audioPackets.empty());
    readOn();

    const auto video = take(s.videoPackets);
    const auto audio = take(s.audioPackets);
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(video[0].kind, Kind::Flush);
    EXPECT_EQ(video[0].flushTarget, 1.25);
    EXPECT_EQ(video[0].flushPictureMs, 1200);
    EXPECT_EQ(audio[0].kind, Kind::Flush);
    for (const auto* packets : {&video, &audio}) {
        for (const MediaPacket& p : *packets)
            EXPECT_EQ(p.serial, 1);
    }
    const auto videoTimes = dataTimes(video);
    const auto audioTimes = dataTimes(audio);
    ASSERT_FALSE(videoTimes.empty());
    EXPECT_EQ(videoTimes.front(), 1000u);
    ASSERT_FALSE(audioTimes.empty());
    EXPECT_EQ(audioTimes.front(), 26u) << "the keyframe before 0.75 s is at 0";
    EXPECT_EQ(read().serial, 1);
    EXPECT_TRUE(read().atEnd);
}

// A picture attached mid-stream: its decoder is flushed to start at the clock, and gets
// nothing before the next keyframe.
TEST_F(DemuxerTest, APictureAttachedMidStreamStartsAtTheNextKeyframe)
{
    ASSERT_TRUE(demuxer.start());
    while (read().ms < 300)
        ASSERT_FALSE(demuxer.step());
    EXPECT_TRUE(s.videoPackets.empty());

    s.videoWanted = true;
    readOn();
    const auto video = take(s.videoPackets);
    ASSERT_FALSE(video.empty());
    EXPECT_EQ(video[0].kind, Kind::Flush);
    const auto times = dataTimes(video);
    ASSERT_FALSE(times.empty());
    EXPECT_EQ(times.front(), 1000u);
    EXPECT_EQ(dataTimes(take(s.audioPackets)).front(), 26u);
}

} // namespace
} // namespace zepo::stream
