#pragma once

#include "stream/FlvCodecs.h"
#include "stream/MediaPacket.h"
#include "stream/TrackCodec.h"

#include <functional>
#include <vector>

namespace zepo::bench {

// One track of a file through the FFmpeg decoder playback opens for it, fed tag by tag,
// with nothing shown or heard. Each decoded frame goes to `onFrame` (when set).
class TrackDecoder {
public:
    std::function<void(const AVFrame&)> onFrame;
    long frames = 0;

    void feed(const stream::FlvPayload& info, const std::vector<std::uint8_t>& payload, std::uint32_t timestampMs)
    {
        if (info.kind == stream::FlvPayload::Kind::SequenceHeader) {
            (void)codec_.configure(info, payload);  // a broken one leaves the track undecoded, as playback does
            return;
        }
        if (info.kind != stream::FlvPayload::Kind::Frame)
            return;
        if (const auto readiness = codec_.prepare(info); !readiness || *readiness != stream::TrackCodec::Readiness::Ready)
            return;
        stream::MediaPacket packet;
        packet.info = info;
        packet.payload = payload;
        packet.dtsMs = timestampMs;
        codec_.decode(packet, AVDISCARD_DEFAULT, sink_);
    }

    // What the decoder still holds at the end of the file.
    void finish()
    {
        if (codec_.sendEnd())
            codec_.receiveAll(sink_);
    }

private:
    stream::TrackCodec codec_;
    const stream::TrackCodec::FrameSink sink_ = [this](stream::FramePtr& frame) {
        ++frames;
        if (onFrame)
            onFrame(*frame);
        return true;
    };
};

} // namespace zepo::bench
