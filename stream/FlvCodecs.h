#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zepo::stream {

// Every codec an FLV tag can name, by what the file says (the mapping to a decoder is the
// decoder's business).
enum class FlvCodec {
    None,
    // video
    SorensonH263, ScreenVideo, Vp6, Vp6Alpha, ScreenVideo2, Avc, Hevc, Av1, Vp9,
    // audio
    PcmPlatformEndian, Adpcm, Mp3, PcmLittleEndian, Nellymoser, G711ALaw, G711MuLaw, Aac, Speex,
};

// What one audio or video tag payload holds once its FLV header bytes are read.
struct FlvPayload {
    enum class Kind {
        Frame,           // coded media, from `offset` to the end
        SequenceHeader,  // decoder configuration (AVC/HEVC/AV1/VP9 records, AAC AudioSpecificConfig)
        EndOfSequence,
        Ignored,         // a tag that carries nothing to decode (empty, command frame, metadata)
        Unsupported,     // a codec no decoder here knows
    };
    Kind kind = Kind::Ignored;
    FlvCodec codec = FlvCodec::None;
    std::size_t offset = 0;          // where the codec's bytes start in the payload
    bool keyframe = false;           // video: a frame a decoder can start from (by its flag,
                                     // or for AVC/HEVC by its NAL units when the flag says no)
    std::int32_t compositionMs = 0;  // AVC/HEVC: presentation time minus decoding time
    std::uint8_t vp6Adjustment = 0;  // VP6: the crop byte in front of every frame
    // Audio: the rate and layout the tag header announces (for codecs that need them).
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    // Unsupported: what the tag names its codec by, the codec id of a video tag or the
    // sound format of an audio tag, and the FourCC of an enhanced video tag.
    int codecNumber = 0;
    char fourCc[4] = {};
};

FlvPayload parseAudioPayload(std::span<const std::uint8_t> payload);
// For people: the codec an Unsupported payload names, "codec 1 (JPEG)", "sound format 15
// (device-specific sound)", "codec 'avc1'".
std::string unsupportedCodecText(const FlvPayload& payload, bool video);
// The payload may be cut short (a header scan looks at the first bytes only); what is
// missing is then taken as absent.
FlvPayload parseVideoPayload(std::span<const std::uint8_t> payload);

} // namespace zepo::stream
