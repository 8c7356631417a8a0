#pragma once

#include "stream/DecoderLoop.h"

#include <optional>

namespace zepo::stream {

// The video decoder thread of a session. After a seek it decodes from the keyframe the
// reader went back to, but queues only the picture at the target (the last one not after
// it) and what follows, so playback shows exactly the target.
class VideoDecoder final : public DecoderLoop {
public:
    explicit VideoDecoder(SessionState& state)
        : DecoderLoop(state, {StreamError::Part::Video, state.videoPackets, state.videoIdle, state.videoUsable}) {}

private:
    void restart() override;
    AVDiscard skipFor(const MediaPacket& packet) override;
    bool decoded(FramePtr& frame) override;
    void drained() override;
    bool deliver(DecodedFrame frame);

    bool seeking_ = true;                 // frames up to target_ are held, not queued
    std::optional<DecodedFrame> atTarget_;
};

} // namespace zepo::stream
