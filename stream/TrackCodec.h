#pragma once

#include "stream/DecoderSetup.h"

#include <functional>
#include <span>

namespace zepo::stream {

// The FFmpeg decoder of one track, set up as the tags come: from a sequence header's
// configuration record, or, for codecs that need none, from the first frame's tag; set up
// anew when the track changes codec (or, for sound, its rate or layout). The decoder
// threads and the benchmarks feed their tags through this one.
class TrackCodec {
public:
    // The decoder's messages are about `logFile`, when given; it must outlive this.
    explicit TrackCodec(LogFile* logFile = nullptr) : logFile_(logFile) {}

    // A sequence header: opens the decoder it configures, unless that one is open already.
    // Why not, when it cannot be opened.
    Result<void, StreamError> configure(const FlvPayload& info, std::span<const std::uint8_t> payload);

    enum class Readiness {
        Ready,
        AwaitsConfiguration,  // the codec needs its sequence header first
    };
    // Before a frame: whether a decoder takes it, opening one now when the tag says enough;
    // why not, when the decoder the tag calls for cannot be opened.
    Result<Readiness, StreamError> prepare(const FlvPayload& info);

    // Takes each decoded frame; it may keep it (leaving the pointer empty). False stops the
    // receiving (the track is given up, the session closes).
    using FrameSink = std::function<bool(FramePtr& frame)>;

    // Sends a coded frame (after prepare() said Ready); `skip` tells which pictures the
    // decoder may leave out. False when the decoder refused the frame: a damaged frame
    // is the decoder's to conceal, the next ones go on. A decoder whose output is full
    // refuses it too (EAGAIN): decode() takes that output first and sends it again.
    bool send(const MediaPacket& packet, AVDiscard skip = AVDISCARD_DEFAULT);
    // Sends a coded frame and hands every frame the decoder gives back to the sink. False
    // when the decoder refused the frame, or the sink stopped.
    bool decode(const MediaPacket& packet, AVDiscard skip, const FrameSink& sink);
    // The end of the track: what the decoder still holds can be received after this.
    bool sendEnd();
    // The next decoded frame; false when the decoder wants more input first.
    bool receive(AVFrame& frame);
    // Every frame the decoder has ready, into the sink; false when the sink stopped.
    bool receiveAll(const FrameSink& sink);
    // Forgets everything sent (a seek); the decoder stays open.
    void flush();

    bool isOpen() const { return codec_ != nullptr; }

private:
    bool fits(const DecoderParams& params) const;
    Result<void, StreamError> open(DecoderParams params);
    // FFmpeg's result of sending the packet.
    int sendPacket(const AVPacket& packet, AVDiscard skip);
    bool debugging() const;
    void debug(const std::string& message) const;

    LogFile* const logFile_;
    CodecContextPtr codec_;
    DecoderParams params_;  // what codec_ was opened with
};

} // namespace zepo::stream
