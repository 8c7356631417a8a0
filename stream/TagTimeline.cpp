#include "stream/TagTimeline.h"

#include <algorithm>
#include <limits>

namespace zepo::stream {
namespace {

// Where the first tag after a crossed jump goes: one frame at 25 frames a second after
// the latest time, as if the jump had not been there.
constexpr std::int64_t kJoinStepMs = 40;

} // namespace

void TagTimeline::restart(std::uint32_t timeMs, std::int64_t shiftMs)
{
    flowMs_ = timeMs;
    shiftMs_ = shiftMs;
}

bool TagTimeline::inFlow(std::int64_t timeMs) const
{
    return timeMs >= flowMs_ - kMaxStepMs && timeMs <= flowMs_ + kMaxStepMs;
}

TagTimeline::Placement TagTimeline::place(std::uint32_t rawMs, const NextTimestamp& next)
{
    Placement p;
    std::int64_t time = std::int64_t(rawMs) + shiftMs_;
    if (!inFlow(time)) {
        const std::optional<std::uint32_t> following = next();
        const std::int64_t nextTime = following ? std::int64_t(*following) + shiftMs_ : 0;
        // The jump lasts when the next tag goes on from this one rather than from the flow.
        const bool lasting = following && !inFlow(nextTime) && nextTime >= time - kMaxStepMs
            && nextTime <= time + kMaxStepMs;
        if (!lasting) {
            p.keep = false;
            return p;
        }
        shiftMs_ += flowMs_ + kJoinStepMs - time;
        time = flowMs_ + kJoinStepMs;
        p.crossedJump = true;
    }
    // The timeline holds 32-bit milliseconds as the file does; a file whose own clock
    // runs past that many is cut there.
    time = std::clamp<std::int64_t>(time, 0, std::numeric_limits<std::uint32_t>::max());
    flowMs_ = std::max(flowMs_, time);
    p.timeMs = static_cast<std::uint32_t>(time);
    return p;
}

} // namespace zepo::stream
