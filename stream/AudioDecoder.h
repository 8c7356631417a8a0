#pragma once

#include "stream/AudioOutput.h"
#include "stream/DecoderLoop.h"

#include <memory>

namespace zepo::stream {

// The audio decoder thread of a session: decodes, converts to the device's format and
// fills the sound buffer. It opens the audio device with the first decoded sound; when
// there is no device the sound is given up and the clock runs on its own. After a seek,
// sound well before the target is not decoded, and what is decoded before it is cut off
// to the sample.
class AudioDecoder final : public DecoderLoop {
public:
    explicit AudioDecoder(SessionState& state)
        : DecoderLoop(state, {StreamError::Part::Sound, state.audioPackets, state.audioIdle, state.audioUsable}) {}
    ~AudioDecoder() override;

    // Sound this much before a seek target is still decoded, so that the decoder has what
    // the target's first frame builds on (the overlap of AAC's transform, MP3's reservoir
    // of earlier bytes); sound before it would only be decoded to be dropped, on cores the
    // picture at the target is being decoded on.
    static constexpr double kPrimingSeconds = 0.5;

private:
    void restart() override;
    bool needed(const MediaPacket& packet) override;
    bool decoded(FramePtr& frame) override;
    void drained() override { s_.sound.markEnd(serial_); }
    // 0, or FFmpeg's error code when the sound cannot be converted to the device's format.
    int prepareResampler(const AVFrame& frame);

    std::shared_ptr<AudioOutput> output_;  // shared with the pacer, which suspends it while paused
    ResamplerPtr resampler_;
    int resamplerRate_ = 0;
    int resamplerFormat_ = -1;
    AVChannelLayout resamplerLayout_{};
    double nextPts_ = -1;  // where the next frame starts when the decoder gives no time
};

} // namespace zepo::stream
