#pragma once

#include "stream/AudioOutput.h"
#include "stream/DecoderSetup.h"
#include "stream/SessionState.h"

#include <memory>

namespace zepo::stream {

// The audio decoder thread of a session: decodes, converts to the device's format and
// fills the sound buffer. It opens the audio device with the first decoded sound; when
// there is no device the sound is given up and the clock runs on its own. After a seek,
// sound before the target is cut off to the sample.
class AudioDecoder {
public:
    explicit AudioDecoder(SessionState& state) : s_(state) {}
    ~AudioDecoder();
    void run();

private:
    void flush(const MediaPacket& packet);
    void finish();
    void configure(const MediaPacket& packet);
    void decode(const MediaPacket& packet);
    void receiveFrames();
    bool deliver(const AVFrame& frame);
    bool prepareResampler(const AVFrame& frame);
    void giveUp();

    SessionState& s_;
    CodecContextPtr codec_;
    DecoderParams params_;
    std::unique_ptr<AudioOutput> output_;
    ResamplerPtr resampler_;
    int resamplerRate_ = 0;
    int resamplerFormat_ = -1;
    AVChannelLayout resamplerLayout_{};
    int serial_ = 0;
    double target_ = 0;
    double nextPts_ = -1;  // where the next frame starts when the decoder gives no time
};

} // namespace zepo::stream
