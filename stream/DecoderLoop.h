#pragma once

#include "stream/SessionState.h"
#include "stream/TrackCodec.h"

namespace zepo::stream {

// What both decoder threads of a session do with the packets of their queue: a flush
// marker starts a new seek generation (the loop learns it from the marker), the end of the
// file drains the decoder, a sequence header configures it, and the frames are decoded.
// What a track does with its decoded frames, and what it keeps across a seek, is its own
// (the hooks below).
class DecoderLoop {
public:
    // The session's fields that belong to one track.
    struct Track {
        StreamError::Part part;
        PacketQueue& packets;
        std::atomic<bool>& idle;       // waiting for packets
        std::atomic<bool>& usable;     // false once the track is given up
    };

    void run();

protected:
    DecoderLoop(SessionState& state, Track track) : s_(state), track_(track), codec_(&state.log) {}
    virtual ~DecoderLoop() = default;

    // A seek: the track's own state from before it goes.
    virtual void restart() {}
    // Whether a frame is decoded at all.
    virtual bool needed(const MediaPacket&) { return true; }
    // Which pictures the decoder may leave out of this frame's decoding.
    virtual AVDiscard skipFor(const MediaPacket&) { return AVDISCARD_DEFAULT; }
    // A decoded frame; the track may take it (leaving `frame` empty). False once the
    // session is closing.
    virtual bool decoded(FramePtr& frame) = 0;
    // The end of the file, after the decoder's last frame: the track marks the end of the
    // generation in its output.
    virtual void drained() = 0;

    // What the track's owner hears about it (the part and the file filled in).
    void tell(StreamError error);
    // The track cannot be decoded or played: its owner hears why, and the session goes on
    // without it.
    void fail(StreamError error);
    // The track stops without an error to tell (the reason is logged where it arose).
    void abandon();

    SessionState& s_;
    int serial_ = 0;      // the generation being decoded: that of the last flush marker
    double target_ = 0;   // where it starts, in seconds
    std::int64_t targetPictureMs_ = -1;  // the picture shown there, when the reader knew it

private:
    void flush(const MediaPacket& packet);
    void finish();
    void decode(const MediaPacket& packet);
    void unsupported(const FlvPayload& info);

    Track track_;
    TrackCodec codec_;
    // Where the decoder's frames go: to the track while it is usable.
    const TrackCodec::FrameSink sink_ = [this](FramePtr& frame) { return track_.usable && decoded(frame); };
    bool unsupportedTold_ = false;  // a codec without a decoder was told
};

} // namespace zepo::stream
