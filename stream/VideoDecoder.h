#pragma once

#include "stream/DecoderSetup.h"
#include "stream/SessionState.h"

#include <optional>

namespace zepo::stream {

// The video decoder thread of a session. After a seek it decodes from the keyframe the
// reader went back to, but queues only the picture at the target (the last one not after
// it) and what follows, so playback shows exactly the target.
class VideoDecoder {
public:
    explicit VideoDecoder(SessionState& state) : s_(state) {}
    void run();

private:
    void flush(const MediaPacket& packet);
    void finish();
    void configure(const MediaPacket& packet);
    void decode(const MediaPacket& packet);
    void receiveFrames();
    bool deliver(DecodedFrame frame);

    SessionState& s_;
    CodecContextPtr codec_;
    DecoderParams params_;
    int serial_ = 0;
    double target_ = 0;
    bool seeking_ = true;                 // frames up to target_ are held, not queued
    std::optional<DecodedFrame> atTarget_;
};

} // namespace zepo::stream
