#pragma once

#include "stream/FlvReader.h"
#include "stream/SessionState.h"

#include <optional>

namespace zepo::stream {

// The reader thread of a session: opens the file, reports it started, delivers the
// metadata, reads tags ahead of the clock by the buffer time, hands audio and video to
// their decoders (only while someone listens or watches), carries out seeks and says when
// the buffer is full and when the file has been read to its end.
class Demuxer {
public:
    explicit Demuxer(SessionState& state) : s_(state) {}
    void run();

private:
    // Why the file cannot be played, if it cannot.
    std::optional<StreamError> open();
    void readLeadingConfigurations();
    void resendConfigurations();
    void seek(const SessionState::SeekRequest& request);
    std::int64_t pictureShownAt(double target);
    void updateRouting();
    void readOneTag();
    void reachEnd();
    // Waits a little for the clock, a seek, a new wish or the index.
    void idle();
    void reportBufferFull();
    void route(PacketQueue& queue, MediaPacket packet) { queue.push(std::move(packet)); }
    MediaPacket marker(MediaPacket::Kind kind, double target = 0) const;

    SessionState& s_;
    std::optional<FlvReader> reader_;
    int serial_ = 0;                 // generation being read
    std::uint32_t startMs_ = 0;      // target of that generation
    bool endOfFile_ = false;
    bool bufferFullSent_ = false;
    bool metaDataSent_ = false;
    bool routeVideo_ = false;        // video packets go to the decoder
    bool routeAudio_ = false;
    bool videoNeedsKeyframe_ = false; // the picture was attached again mid-stream
    // The latest sequence headers read: a seek can land past them, so they are sent again.
    std::optional<MediaPacket> videoConfig_;
    std::optional<MediaPacket> audioConfig_;
};

} // namespace zepo::stream
