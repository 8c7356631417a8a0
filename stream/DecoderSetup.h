#pragma once

#include "stream/AvHandles.h"
#include "stream/FlvCodecs.h"
#include "stream/MediaPacket.h"
#include "stream/StreamError.h"
#include "stream/StreamLog.h"

#include <cstdint>
#include <vector>

namespace zepo::stream {

// What a decoder is opened with: the codec a tag names, the layout its header announces
// and the configuration record from a sequence header (or VP6's crop byte).
struct DecoderParams {
    FlvCodec codec = FlvCodec::None;
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    std::vector<std::uint8_t> extradata;

    bool operator==(const DecoderParams&) const = default;
};

// Every FLV codec has an FFmpeg decoder; AV_CODEC_ID_NONE for FlvCodec::None.
AVCodecID avCodecId(FlvCodec codec, int bitsPerSample);
// Whether frames can be decoded without a sequence header first.
bool needsSequenceHeader(FlvCodec codec);
// The decoder parameters a tag implies (extradata left empty).
DecoderParams paramsFor(const FlvPayload& info);

// A decoder for the parameters, or why there is none: the codec has no decoder here, or
// the decoder refuses the parameters (a broken configuration record). The decoder's own
// messages are about `logFile` (see StreamLog.h); null when none.
Result<CodecContextPtr, StreamError> openDecoder(const DecoderParams& params, LogFile* logFile = nullptr);

// The coded bytes of a data packet as an FFmpeg packet with timestamps in milliseconds.
PacketPtr toAvPacket(const MediaPacket& packet);

} // namespace zepo::stream
