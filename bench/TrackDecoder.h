#pragma once

#include "stream/DecoderSetup.h"
#include "stream/FlvCodecs.h"
#include "stream/MediaPacket.h"

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
            stream::DecoderParams params = stream::paramsFor(info);
            params.extradata.assign(payload.begin() + std::ptrdiff_t(info.offset), payload.end());
            codec_ = stream::openDecoder(params);
            return;
        }
        if (info.kind != stream::FlvPayload::Kind::Frame)
            return;
        if (!codec_ && !stream::needsSequenceHeader(info.codec))
            codec_ = stream::openDecoder(stream::paramsFor(info));
        if (!codec_)
            return;
        stream::MediaPacket packet;
        packet.info = info;
        packet.payload = payload;
        packet.dtsMs = timestampMs;
        auto pkt = stream::toAvPacket(packet);
        if (pkt && avcodec_send_packet(codec_.get(), pkt.get()) >= 0)
            drain();
    }

    // What the decoder still holds at the end of the file.
    void finish()
    {
        if (codec_ && avcodec_send_packet(codec_.get(), nullptr) >= 0)
            drain();
    }

private:
    void drain()
    {
        stream::FramePtr frame(av_frame_alloc());
        while (avcodec_receive_frame(codec_.get(), frame.get()) >= 0) {
            ++frames;
            if (onFrame)
                onFrame(*frame);
            av_frame_unref(frame.get());
        }
    }

    stream::CodecContextPtr codec_;
};

} // namespace zepo::bench
