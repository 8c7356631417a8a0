#pragma once

#include "stream/AmfValue.h"
#include "stream/FlvError.h"
#include "stream/FlvReader.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace zepo::stream {

// A place decoding can start from: a video keyframe, or for a file without video an audio
// tag (every audio tag is one).
struct SeekPoint {
    std::uint32_t timeMs = 0;    // on the timeline (see TagTimeline)
    std::uint64_t position = 0;  // file offset of the tag header
    std::int64_t shiftMs = 0;    // the timeline's shift of the file's timestamps there
};

// Where to start decoding for a target time, and where the file's timeline ends.
class KeyframeIndex {
public:
    // Walks every tag header (payloads are not read, apart from one byte of each video
    // tag for its frame type), placing the tags on the timeline as playback does. Stops
    // early, with an Io error, when `cancel` becomes true.
    static FlvResult<KeyframeIndex> scan(FlvReader& reader, const std::atomic<bool>* cancel = nullptr);
    // The metadata's `keyframes` object (`filepositions`, `times`) when it agrees with the
    // file: sorted, inside the file, and sampled entries land on video keyframe tags with
    // those times. The end of the timeline comes from the tags at the end of the file.
    // Nothing when any of that fails, or when the times leave room for a jump of the
    // file's clock (they start late, step far, or the tags at the end lie far beyond
    // them): scan() then, which places every tag.
    static std::optional<KeyframeIndex> fromMetadata(const AmfValue& metadata, FlvReader& reader);

    // The last seek point at or before the time (the first one when the time is earlier);
    // null when the file has no tag to start from.
    const SeekPoint* at(std::uint32_t timeMs) const;
    const std::vector<SeekPoint>& points() const { return points_; }
    // The largest audio or video timestamp: where playback ends.
    std::uint32_t lastTimestampMs() const { return lastTimestampMs_; }

private:
    std::vector<SeekPoint> points_;
    std::uint32_t lastTimestampMs_ = 0;
};

} // namespace zepo::stream
