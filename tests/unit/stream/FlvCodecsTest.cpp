#include "stream/DecoderSetup.h"
#include "stream/FlvCodecs.h"
#include "tests/unit/FlvBytes.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

using test::Bytes;
using test::operator+;
using Kind = FlvPayload::Kind;

FlvPayload audio(std::uint8_t flags, Bytes rest = {0xAA})
{
    return parseAudioPayload(Bytes{flags} + rest);
}

// Rates and layouts that the sound formats fix whatever the header bits say.
TEST(FlvCodecsAudio, ReadsFormatRateAndLayout)
{
    const struct {
        std::uint8_t flags;
        FlvCodec codec;
        int rate;
        int channels;
    } cases[] = {
        {0x2F, FlvCodec::Mp3, 44100, 2},
        {0xE2, FlvCodec::Mp3, 8000, 1},            // format 14: MP3 at 8 kHz
        {0x52, FlvCodec::Nellymoser, 8000, 1},     // format 5
        {0x4E, FlvCodec::Nellymoser, 16000, 1},    // format 4, whatever the rate bits
        {0x6A, FlvCodec::Nellymoser, 22050, 1},    // format 6: the rate bits
        {0xB2, FlvCodec::Speex, 16000, 1},         // rate bits 0 ("5.5 kHz"): Speex is 16 kHz
        {0x72, FlvCodec::G711ALaw, 8000, 1},
        {0x82, FlvCodec::G711MuLaw, 8000, 1},
        {0x1D, FlvCodec::Adpcm, 44100, 2},
        {0x3A, FlvCodec::PcmLittleEndian, 22050, 1},
        {0x05, FlvCodec::PcmPlatformEndian, 11025, 2},
    };
    for (const auto& c : cases) {
        const FlvPayload p = audio(c.flags);
        EXPECT_EQ(p.kind, Kind::Frame) << int(c.flags);
        EXPECT_EQ(p.codec, c.codec) << int(c.flags);
        EXPECT_EQ(p.sampleRate, c.rate) << int(c.flags);
        EXPECT_EQ(p.channels, c.channels) << int(c.flags);
        EXPECT_EQ(p.offset, 1u);
    }
    EXPECT_EQ(audio(0x3A).bitsPerSample, 16);
    EXPECT_EQ(audio(0x05).bitsPerSample, 8);
}

TEST(FlvCodecsAudio, TellsAacConfigurationFromFrames)
{
    const FlvPayload config = audio(0xAF, {0x00, 0x12, 0x10});
    EXPECT_EQ(config.kind, Kind::SequenceHeader);
    EXPECT_EQ(config.offset, 2u);
    EXPECT_EQ(audio(0xAF, {0x01, 0x21}).kind, Kind::Frame);
    EXPECT_EQ(audio(0xAF, {}).kind, Kind::Ignored);
    EXPECT_EQ(audio(0xAF, {0x07, 0x21}).kind, Kind::Ignored);
}

TEST(FlvCodecsAudio, EmptyAndUnknownTags)
{
    EXPECT_EQ(parseAudioPayload(Bytes{}).kind, Kind::Ignored);  // zero-length tag
    EXPECT_EQ(audio(0x2F, {}).kind, Kind::Ignored);               // flags but no sound
    EXPECT_EQ(audio(0x92).kind, Kind::Unsupported);
    EXPECT_EQ(unsupportedCodecText(audio(0x92), false), "sound format 9 (reserved)");
    EXPECT_EQ(audio(0xF2).kind, Kind::Unsupported);
    EXPECT_EQ(unsupportedCodecText(audio(0xF2), false), "sound format 15 (device-specific sound)");
}

TEST(FlvCodecsVideo, ReadsClassicCodecs)
{
    const FlvPayload h263 = parseVideoPayload(Bytes{0x12, 0, 0, 0x84});
    EXPECT_EQ(h263.codec, FlvCodec::SorensonH263);
    EXPECT_TRUE(h263.keyframe);
    EXPECT_EQ(h263.offset, 1u);
    EXPECT_FALSE(parseVideoPayload(Bytes{0x22, 0, 0}).keyframe);
    EXPECT_EQ(parseVideoPayload(Bytes{0x13, 1}).codec, FlvCodec::ScreenVideo);
    EXPECT_EQ(parseVideoPayload(Bytes{0x16, 1}).codec, FlvCodec::ScreenVideo2);

    const FlvPayload vp6 = parseVideoPayload(Bytes{0x14, 0x21, 0x55});
    EXPECT_EQ(vp6.codec, FlvCodec::Vp6);
    EXPECT_EQ(vp6.vp6Adjustment, 0x21);
    EXPECT_EQ(vp6.offset, 2u);
    EXPECT_EQ(parseVideoPayload(Bytes{0x15, 0x00, 0, 0, 4, 1}).codec, FlvCodec::Vp6Alpha);

    EXPECT_EQ(parseVideoPayload(Bytes{0x52, 0}).kind, Kind::Ignored);   // command frame
    const FlvPayload jpeg = parseVideoPayload(Bytes{0x11, 0});
    EXPECT_EQ(jpeg.kind, Kind::Unsupported);
    EXPECT_EQ(unsupportedCodecText(jpeg, true), "codec 1 (JPEG)");
    EXPECT_EQ(parseVideoPayload(Bytes{}).kind, Kind::Ignored);
}

TEST(FlvCodecsVideo, ReadsAvcPacketsAndCompositionTimes)
{
    EXPECT_EQ(parseVideoPayload(Bytes{0x17, 0, 0, 0, 0, 1, 0x42}).kind, Kind::SequenceHeader);
    EXPECT_EQ(parseVideoPayload(Bytes{0x17, 2, 0, 0, 0}).kind, Kind::EndOfSequence);
    const FlvPayload frame = parseVideoPayload(Bytes{0x27, 1, 0xFF, 0xFF, 0x9C, 0, 0, 0, 1, 0x41});
    EXPECT_EQ(frame.kind, Kind::Frame);
    EXPECT_EQ(frame.codec, FlvCodec::Avc);
    EXPECT_EQ(frame.compositionMs, -100);  // signed 24 bits
    EXPECT_EQ(frame.offset, 5u);
    EXPECT_FALSE(frame.keyframe);
    // Flagged as inter, but its NAL units hold an IDR slice after an access unit delimiter.
    const FlvPayload idr = parseVideoPayload(Bytes{0x27, 1, 0, 0, 0, 0, 0, 0, 2, 0x09, 0x30, 0, 0, 0, 1, 0x65});
    EXPECT_TRUE(idr.keyframe);
    // A NAL length running past the data ends the walk: nothing beyond it is looked at
    // (a scan sees only the first bytes of a large frame).
    EXPECT_FALSE(parseVideoPayload(Bytes{0x27, 1, 0, 0, 0, 0, 0, 0, 0x7F, 0x09, 0x30, 0, 0, 0, 1, 0x65}).keyframe);
}

TEST(FlvCodecsVideo, ReadsEnhancedFourCcs)
{
    const auto ex = [](std::uint8_t frameAndPacket, const char* fourcc, Bytes rest) {
        Bytes b{std::uint8_t(0x80 | frameAndPacket)};
        for (int i = 0; i < 4; ++i)
            b.push_back(std::uint8_t(fourcc[i]));
        return parseVideoPayload(b + rest);
    };
    const FlvPayload start = ex(0x10, "hvc1", {1, 2, 3});
    EXPECT_EQ(start.kind, Kind::SequenceHeader);
    EXPECT_EQ(start.codec, FlvCodec::Hevc);
    EXPECT_EQ(start.offset, 5u);
    const FlvPayload hevc = ex(0x11, "hvc1", {0, 0, 40, 0, 0, 0, 1, 0x26});
    EXPECT_EQ(hevc.kind, Kind::Frame);
    EXPECT_EQ(hevc.compositionMs, 40);
    EXPECT_EQ(hevc.offset, 8u);
    EXPECT_TRUE(hevc.keyframe);
    const FlvPayload hevcX = ex(0x23, "hvc1", {0, 0, 0, 1, 0x02});
    EXPECT_EQ(hevcX.offset, 5u);
    EXPECT_FALSE(hevcX.keyframe);
    const FlvPayload av1 = ex(0x11, "av01", {0x12, 0});
    EXPECT_EQ(av1.codec, FlvCodec::Av1);
    EXPECT_EQ(av1.offset, 5u);  // no composition time outside HEVC
    EXPECT_TRUE(av1.keyframe);
    EXPECT_EQ(ex(0x23, "vp09", {0x82}).codec, FlvCodec::Vp9);
    EXPECT_EQ(ex(0x12, "vp09", {}).kind, Kind::EndOfSequence);
    EXPECT_EQ(ex(0x14, "av01", {1}).kind, Kind::Ignored);  // metadata packet
    const FlvPayload avc3 = ex(0x11, "avc3", {1});
    EXPECT_EQ(avc3.kind, Kind::Unsupported);
    EXPECT_EQ(unsupportedCodecText(avc3, true), "codec 'avc3'");
    EXPECT_EQ(unsupportedCodecText(ex(0x11, "\x01" "ab" "\xff", {1}), true), "codec '?ab?'");
}

// Every codec an FLV file can name has a decoder in this FFmpeg.
TEST(FlvCodecsDecoders, EveryCodecHasADecoder)
{
    for (FlvCodec c : {FlvCodec::SorensonH263, FlvCodec::ScreenVideo, FlvCodec::Vp6, FlvCodec::Vp6Alpha,
                       FlvCodec::ScreenVideo2, FlvCodec::Avc, FlvCodec::Hevc, FlvCodec::Av1, FlvCodec::Vp9,
                       FlvCodec::PcmPlatformEndian, FlvCodec::Adpcm, FlvCodec::Mp3, FlvCodec::PcmLittleEndian,
                       FlvCodec::Nellymoser, FlvCodec::G711ALaw, FlvCodec::G711MuLaw, FlvCodec::Aac,
                       FlvCodec::Speex}) {
        const AVCodecID id = avCodecId(c, 16);
        EXPECT_NE(id, AV_CODEC_ID_NONE) << int(c);
        EXPECT_NE(avcodec_find_decoder(id), nullptr) << int(c);
    }
    EXPECT_EQ(avCodecId(FlvCodec::PcmLittleEndian, 8), AV_CODEC_ID_PCM_U8);
    EXPECT_EQ(avCodecId(FlvCodec::PcmPlatformEndian, 16), AV_CODEC_ID_PCM_S16LE);
}

} // namespace
} // namespace zepo::stream
