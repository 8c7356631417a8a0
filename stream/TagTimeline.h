#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace zepo::stream {

// Puts the audio and video tags of a file on one steady timeline, so that neither a
// damaged timestamp nor a jump in the writer's clock leaves the picture frozen while the
// time counts through hours. A tag far out of the flow of the tags before it is judged by
// the tag after it: when that one is back in the flow, the odd tag was damage and is
// dropped; when it goes on from the odd one, the file's clock jumped there, and the
// timeline crosses the jump at once by shifting this and every later timestamp. The
// reader and the seek index follow the same rules, so a seek lands where playing would.
class TagTimeline {
public:
    // How far a tag may lie from the latest time and still belong to the flow. Writers
    // interleave audio and video a few seconds apart at most, and a still picture may
    // stand for some seconds; a longer step is a jump, as other players take it in FLV.
    static constexpr std::int64_t kMaxStepMs = 10000;

    struct Placement {
        bool keep = true;
        std::uint32_t timeMs = 0;  // on the timeline (the file's own time, shifted)
        bool crossedJump = false;  // this tag starts a new shift
    };
    // The raw timestamp of the audio or video tag after the one being placed, if any.
    using NextTimestamp = std::function<std::optional<std::uint32_t>()>;

    // Starts over at a place whose time on the timeline and shift are known (the top of
    // the file: 0 and 0; a seek point: what the index recorded there).
    void restart(std::uint32_t timeMs, std::int64_t shiftMs);
    // Places the next audio or video tag in file order; `next` is asked only when the tag
    // is out of the flow.
    Placement place(std::uint32_t rawMs, const NextTimestamp& next);

    // What is added to the file's timestamps from here on.
    std::int64_t shiftMs() const { return shiftMs_; }

private:
    bool inFlow(std::int64_t timeMs) const;

    std::int64_t flowMs_ = 0;   // the latest time kept
    std::int64_t shiftMs_ = 0;
};

} // namespace zepo::stream
