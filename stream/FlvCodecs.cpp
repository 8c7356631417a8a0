#include "stream/FlvCodecs.h"

#include <cstring>

namespace zepo::stream {
namespace {

constexpr int kRates[4] = {5512, 11025, 22050, 44100};
// Rates that some formats have whatever the rate bits say.
constexpr int kSpeexRate = 16000;
constexpr int kNarrowbandRate = 8000;
constexpr int kNellymoserWideRate = 16000;

// The name given to a codec id or sound format that no decoder here takes.
constexpr const char* kReserved = "reserved";

// An audio tag's sound format (its upper four bits) and what that format fixes whatever
// the tag's rate and channel bits say.
struct AudioFormat {
    FlvCodec codec;     // None: no decoder here knows it
    int fixedRate = 0;  // 0: the rate bits hold
    bool mono = false;
    const char* unsupportedName = kReserved;
};
constexpr AudioFormat kAudioFormats[16] = {
    {FlvCodec::PcmPlatformEndian},
    {FlvCodec::Adpcm},
    {FlvCodec::Mp3},
    {FlvCodec::PcmLittleEndian},
    {FlvCodec::Nellymoser, kNellymoserWideRate, true},
    {FlvCodec::Nellymoser, kNarrowbandRate, true},
    {FlvCodec::Nellymoser},
    {FlvCodec::G711ALaw, kNarrowbandRate},
    {FlvCodec::G711MuLaw, kNarrowbandRate},
    {FlvCodec::None},
    {FlvCodec::Aac},
    {FlvCodec::Speex, kSpeexRate, true},  // Speex in FLV is always 16 kHz mono
    {FlvCodec::None},
    {FlvCodec::None},
    {FlvCodec::Mp3, kNarrowbandRate},
    {FlvCodec::None, 0, false, "device-specific sound"},
};

// How a video tag's payload starts after its first byte.
enum class VideoHeader {
    None,     // nothing more: the codec's data follows
    Vp6,      // one byte of VP6's size adjustment
    AvcLike,  // a packet type and a signed 24-bit composition time
};
// A video tag's codec id (its lower four bits) and how its payload starts.
struct VideoFormat {
    FlvCodec codec;  // None: no decoder here knows it
    VideoHeader header = VideoHeader::None;
    const char* unsupportedName = "unknown";
};
constexpr VideoFormat kVideoFormats[16] = {
    {FlvCodec::None},
    {FlvCodec::None, VideoHeader::None, "JPEG"},
    {FlvCodec::SorensonH263},
    {FlvCodec::ScreenVideo},
    {FlvCodec::Vp6, VideoHeader::Vp6},
    {FlvCodec::Vp6Alpha, VideoHeader::Vp6},
    {FlvCodec::ScreenVideo2},
    {FlvCodec::Avc, VideoHeader::AvcLike},
    {FlvCodec::None},
    {FlvCodec::None},
    {FlvCodec::None},
    {FlvCodec::None},
    {FlvCodec::Hevc, VideoHeader::AvcLike},  // HEVC the way AVC is stored, as some servers write it
    {FlvCodec::None},
    {FlvCodec::None},
    {FlvCodec::None},
};

constexpr std::uint8_t kFrameTypeKey = 1;
constexpr std::uint8_t kFrameTypeCommand = 5;

std::int32_t signed24(const std::uint8_t* p)
{
    std::int32_t v = (std::int32_t(p[0]) << 16) | (std::int32_t(p[1]) << 8) | p[2];
    if (v & 0x800000)
        v -= 0x1000000;
    return v;
}

// Whether length-prefixed NAL units (4-byte lengths, as FLV writers store them) hold a
// picture a decoder can start from. Some writers flag every frame as inter and only the
// NAL types tell. Looks only as far as the bytes given.
bool holdsRandomAccessNal(std::span<const std::uint8_t> d, bool hevc)
{
    std::size_t pos = 0;
    while (d.size() - pos > 4) {
        const std::uint32_t length = (std::uint32_t(d[pos]) << 24) | (std::uint32_t(d[pos + 1]) << 16)
            | (std::uint32_t(d[pos + 2]) << 8) | d[pos + 3];
        const std::uint8_t header = d[pos + 4];
        if (hevc) {
            const int type = (header >> 1) & 0x3F;
            if (type >= 16 && type <= 23)  // BLA, IDR, CRA
                return true;
        } else if ((header & 0x1F) == 5) {  // IDR slice
            return true;
        }
        if (length == 0 || length > d.size() - pos - 4)
            return false;
        pos += 4 + length;
    }
    return false;
}

FlvPayload kind(FlvPayload::Kind k, FlvCodec codec = FlvCodec::None)
{
    FlvPayload p;
    p.kind = k;
    p.codec = codec;
    return p;
}

// Enhanced video: bit 7 set, frame type in bits 4-6, packet type in bits 0-3, then a
// FourCC naming the codec.
FlvPayload parseExtendedVideo(std::span<const std::uint8_t> d)
{
    enum : std::uint8_t { kSequenceStart = 0, kCodedFrames = 1, kSequenceEnd = 2, kCodedFramesX = 3 };
    if (d.size() < 5)
        return kind(FlvPayload::Kind::Ignored);
    const std::uint8_t frameType = (d[0] >> 4) & 0x07;
    const std::uint8_t packetType = d[0] & 0x0F;
    FlvCodec codec = FlvCodec::None;
    if (std::memcmp(&d[1], "hvc1", 4) == 0)
        codec = FlvCodec::Hevc;
    else if (std::memcmp(&d[1], "av01", 4) == 0)
        codec = FlvCodec::Av1;
    else if (std::memcmp(&d[1], "vp09", 4) == 0)
        codec = FlvCodec::Vp9;
    if (codec == FlvCodec::None) {
        FlvPayload p = kind(FlvPayload::Kind::Unsupported);
        std::memcpy(p.fourCc, &d[1], sizeof p.fourCc);
        return p;
    }
    FlvPayload p = kind(FlvPayload::Kind::Frame, codec);
    p.keyframe = frameType == kFrameTypeKey;
    p.offset = 5;
    if (frameType == kFrameTypeCommand && packetType != kSequenceStart)
        return kind(FlvPayload::Kind::Ignored, codec);
    switch (packetType) {
    case kSequenceStart:
        p.kind = FlvPayload::Kind::SequenceHeader;
        return p;
    case kSequenceEnd:
        p.kind = FlvPayload::Kind::EndOfSequence;
        return p;
    case kCodedFrames:
        // Only HEVC carries a composition time here; the others are written like CodedFramesX.
        if (codec == FlvCodec::Hevc) {
            if (d.size() < 8)
                return kind(FlvPayload::Kind::Ignored, codec);
            p.compositionMs = signed24(&d[5]);
            p.offset = 8;
        }
        [[fallthrough]];
    case kCodedFramesX:
        if (codec == FlvCodec::Hevc && !p.keyframe)
            p.keyframe = holdsRandomAccessNal(d.subspan(p.offset), true);
        return p;
    default:  // metadata, multitrack and the rest carry no picture for us
        return kind(FlvPayload::Kind::Ignored, codec);
    }
}

} // namespace

std::string unsupportedCodecText(const FlvPayload& payload, bool video)
{
    if (payload.fourCc[0] != 0) {
        std::string text = "codec '";
        for (char c : payload.fourCc)
            text += c >= 0x20 && c < 0x7F ? c : '?';
        return text + "'";
    }
    const std::string number = std::to_string(payload.codecNumber);
    const int id = payload.codecNumber & 0x0F;
    return video ? "codec " + number + " (" + kVideoFormats[id].unsupportedName + ")"
                 : "sound format " + number + " (" + kAudioFormats[id].unsupportedName + ")";
}

FlvPayload parseAudioPayload(std::span<const std::uint8_t> d)
{
    if (d.empty())
        return kind(FlvPayload::Kind::Ignored);
    const std::uint8_t b = d[0];
    FlvPayload p = kind(FlvPayload::Kind::Frame);
    p.offset = 1;
    p.sampleRate = kRates[(b >> 2) & 3];
    p.bitsPerSample = (b & 0x02) ? 16 : 8;
    p.channels = (b & 0x01) ? 2 : 1;
    const AudioFormat& format = kAudioFormats[b >> 4];
    if (format.codec == FlvCodec::None) {
        p = kind(FlvPayload::Kind::Unsupported);
        p.codecNumber = b >> 4;
        return p;
    }
    p.codec = format.codec;
    if (format.fixedRate)
        p.sampleRate = format.fixedRate;
    if (format.mono)
        p.channels = 1;
    if (format.codec == FlvCodec::Aac) {
        if (d.size() < 2)
            return kind(FlvPayload::Kind::Ignored, FlvCodec::Aac);
        p.offset = 2;
        if (d[1] == 0)
            p.kind = FlvPayload::Kind::SequenceHeader;
        else if (d[1] != 1)
            return kind(FlvPayload::Kind::Ignored, FlvCodec::Aac);
    }
    if (d.size() <= p.offset && p.kind == FlvPayload::Kind::Frame)
        p.kind = FlvPayload::Kind::Ignored;
    return p;
}

FlvPayload parseVideoPayload(std::span<const std::uint8_t> d)
{
    if (d.empty())
        return kind(FlvPayload::Kind::Ignored);
    if (d[0] & 0x80)
        return parseExtendedVideo(d);
    const std::uint8_t frameType = d[0] >> 4;
    FlvPayload p = kind(FlvPayload::Kind::Frame);
    p.keyframe = frameType == kFrameTypeKey;
    p.offset = 1;
    const VideoFormat& format = kVideoFormats[d[0] & 0x0F];
    if (format.codec == FlvCodec::None) {
        p = kind(FlvPayload::Kind::Unsupported);
        p.codecNumber = d[0] & 0x0F;
        return p;
    }
    p.codec = format.codec;
    switch (format.header) {
    case VideoHeader::None:
        break;
    case VideoHeader::Vp6:
        if (d.size() < 2)
            return kind(FlvPayload::Kind::Ignored, p.codec);
        p.vp6Adjustment = d[1];
        p.offset = 2;
        break;
    case VideoHeader::AvcLike:
        if (d.size() < 5)
            return kind(FlvPayload::Kind::Ignored, p.codec);
        p.compositionMs = signed24(&d[2]);
        p.offset = 5;
        if (d[1] == 0)
            p.kind = FlvPayload::Kind::SequenceHeader;
        else if (d[1] == 2)
            p.kind = FlvPayload::Kind::EndOfSequence;
        else if (d[1] != 1)
            return kind(FlvPayload::Kind::Ignored, p.codec);
        else if (!p.keyframe)
            p.keyframe = holdsRandomAccessNal(d.subspan(p.offset), p.codec == FlvCodec::Hevc);
        break;
    }
    if (frameType == kFrameTypeCommand)
        return kind(FlvPayload::Kind::Ignored, p.codec);
    if (d.size() <= p.offset && p.kind == FlvPayload::Kind::Frame)
        p.kind = FlvPayload::Kind::Ignored;
    return p;
}

} // namespace zepo::stream
