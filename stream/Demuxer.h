#pragma once

#include "stream/FlvReader.h"
#include "stream/SessionState.h"
#include "stream/TagTimeline.h"

#include <optional>
#include <string>

namespace zepo::stream {

// The reader thread of a session: opens the file, reports it started as soon as its
// header is sound (damage before the first tag is searched through afterwards), delivers
// the metadata, reads tags ahead of the clock by the buffer time, places them on one
// steady timeline, hands audio and video to their decoders (only while someone listens or
// watches), carries out seeks and says when the buffer is full and when the file has been
// read to its end. What it steps over, drops or cuts it tells through the stream's log.
class Demuxer {
public:
    explicit Demuxer(SessionState& state) : s_(state) {}
    void run();

    // Opens the file and tells whether it plays; false when it cannot (told already).
    bool start();
    // One turn of the thread after start(): a seek taken or a tag read, or else how long
    // to wait for the clock (less when a seek, a pause or resume, a new wish or the index
    // comes).
    std::optional<double> step();

private:
    // Opens the file for reading, or says why it cannot be played.
    Result<void, StreamError> open();
    void readLeadingConfigurations();
    void resendConfigurations();
    void seek(const SessionState::SeekRequest& request);
    std::int64_t pictureShownAt(double target);
    void updateRouting();
    void readOneTag();
    // Places an audio or video tag on the timeline; false when it is dropped.
    bool place(const FlvTagHeader& h, std::uint32_t& timeMs);
    void reachEnd(const FlvError& why);
    // Damage the reader stepped over on the way to the tag at `landed`.
    void noteSkipped(std::uint64_t landed);
    // A warning about what lies at that file position, unless one about it (or a later
    // position) was given already: reading the same part again after a seek stays quiet.
    void warnAt(std::uint64_t position, const std::string& what);
    void warn(const std::string& what);
    // Waits about this long for the clock, or less for a seek, a pause or resume, a new
    // wish or the index.
    void idle(double seconds);
    void reportBufferFull();
    // Tells the session how far reading has got in this generation.
    void publishProgress();
    void route(PacketQueue& queue, MediaPacket packet) { queue.push(std::move(packet)); }
    MediaPacket marker(MediaPacket::Kind kind, double target = 0) const;

    SessionState& s_;
    std::optional<FlvReader> reader_;
    TagTimeline timeline_;
    int serial_ = 0;                 // generation being read: that of the last seek taken
    std::uint32_t startMs_ = 0;      // target of that generation
    std::int64_t readMs_ = 0;        // the latest timestamp read in it
    bool endOfFile_ = false;         // the file was read to its end in it
    bool bufferFullSent_ = false;
    bool metaDataSent_ = false;
    bool routeVideo_ = false;        // video packets go to the decoder
    bool routeAudio_ = false;
    bool videoNeedsKeyframe_ = false; // the picture was attached again mid-stream
    std::uint64_t videoFrom_ = 0;    // video tags before this file position are not read
    // The latest sequence headers read: a seek can land past them, so they are sent again.
    std::optional<MediaPacket> videoConfig_;
    std::optional<MediaPacket> audioConfig_;
    std::uint64_t skippedSeen_ = 0;  // the reader's count of skipped bytes already looked at
    std::optional<std::uint64_t> warnedUpTo_;  // the furthest file position warned about
    bool endWarned_ = false;         // how reading ended early was told
    int warnings_ = 0;               // warnings given about this file
};

} // namespace zepo::stream
