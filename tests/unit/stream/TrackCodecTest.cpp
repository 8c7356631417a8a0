#include "stream/TrackCodec.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

// A tag of 16-bit mono PCM at 44 kHz whose samples all hold `value`.
MediaPacket pcmTag(std::uint32_t timeMs, std::int16_t value, int samples = 64)
{
    MediaPacket packet;
    packet.dtsMs = timeMs;
    packet.payload = {0x3E};
    for (int i = 0; i < samples; ++i) {
        packet.payload.push_back(std::uint8_t(value & 0xFF));
        packet.payload.push_back(std::uint8_t(value >> 8));
    }
    packet.info = parseAudioPayload(packet.payload);
    return packet;
}

// A decoder whose output nobody has taken yet refuses the next frame for now (EAGAIN), as
// a frame-threaded decoder does when it runs ahead. That frame is sent again once the
// output is taken: every frame comes out, in order.
TEST(TrackCodec, AFrameTheDecoderHasNoRoomForIsSentAgainNotDropped)
{
    TrackCodec codec;
    const auto readiness = codec.prepare(pcmTag(0, 1).info);
    ASSERT_TRUE(readiness);
    ASSERT_EQ(*readiness, TrackCodec::Readiness::Ready);
    ASSERT_TRUE(codec.send(pcmTag(0, 1)));
    ASSERT_TRUE(codec.send(pcmTag(1, 2)));
    ASSERT_FALSE(codec.send(pcmTag(2, 3))) << "the decoder should be full by now";

    std::vector<std::int16_t> firstSamples;
    const TrackCodec::FrameSink collect = [&](FramePtr& frame) {
        firstSamples.push_back(reinterpret_cast<const std::int16_t*>(frame->data[0])[0]);
        return true;
    };
    EXPECT_TRUE(codec.decode(pcmTag(2, 3), AVDISCARD_DEFAULT, collect));
    EXPECT_EQ(firstSamples, (std::vector<std::int16_t>{1, 2, 3}));

    // A sink that stops (the session closing) stops the decoding with it.
    ASSERT_TRUE(codec.send(pcmTag(3, 4)));
    ASSERT_TRUE(codec.send(pcmTag(4, 5)));
    firstSamples.clear();
    EXPECT_FALSE(codec.decode(pcmTag(5, 6), AVDISCARD_DEFAULT, [&](FramePtr& frame) { return collect(frame) && false; }));
    EXPECT_EQ(firstSamples, (std::vector<std::int16_t>{4}));
}

} // namespace
} // namespace zepo::stream
