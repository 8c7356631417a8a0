#include "stream/MasterClock.h"

#include <algorithm>

namespace zepo::stream {

double MasterClock::valueAt(TimePoint at) const
{
    double v = anchor_;
    if (!held_ && !paused_)
        v += std::chrono::duration<double>(at - anchorTime_).count();
    return std::clamp(v, 0.0, end_);
}

void MasterClock::anchorAt(double value, TimePoint at)
{
    anchor_ = value;
    anchorTime_ = at;
    lastRead_ = at;
}

double MasterClock::now() const
{
    return nowAt(std::chrono::steady_clock::now());
}

double MasterClock::nowAt(TimePoint at) const
{
    std::lock_guard lock(mutex_);
    if (!held_ && !paused_ && at - lastRead_ > kStall) {
        // Nothing read the clock for that long: the process stood still. It goes on from
        // where it was last read.
        anchor_ = valueAt(lastRead_);
        anchorTime_ = at;
    }
    lastRead_ = std::max(lastRead_, at);
    const double v = valueAt(at);
    if (held_ || paused_) {
        lastReported_ = v;
        return v;
    }
    lastReported_ = std::max(lastReported_, v);
    return lastReported_;
}

void MasterClock::seekTo(double seconds)
{
    std::lock_guard lock(mutex_);
    anchorAt(std::clamp(seconds, 0.0, end_), std::chrono::steady_clock::now());
    held_ = true;
    lastReported_ = anchor_;
}

void MasterClock::release()
{
    std::lock_guard lock(mutex_);
    if (!held_)
        return;
    held_ = false;
    anchorAt(anchor_, std::chrono::steady_clock::now());
}

void MasterClock::setPaused(bool paused)
{
    std::lock_guard lock(mutex_);
    if (paused_ == paused)
        return;
    const auto t = std::chrono::steady_clock::now();
    anchorAt(std::max(valueAt(t), lastReported_), t);
    paused_ = paused;
}

void MasterClock::syncToAudio(double seconds, TimePoint at)
{
    std::lock_guard lock(mutex_);
    if (held_ || paused_)
        return;
    anchor_ = seconds;
    anchorTime_ = at;
    lastRead_ = std::max(lastRead_, at);
}

void MasterClock::setEnd(double seconds)
{
    std::lock_guard lock(mutex_);
    end_ = std::max(0.0, seconds);
    lastReported_ = std::min(lastReported_, end_);
}

bool MasterClock::running() const
{
    std::lock_guard lock(mutex_);
    return !held_ && !paused_;
}

bool MasterClock::held() const
{
    std::lock_guard lock(mutex_);
    return held_;
}

bool MasterClock::paused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

double MasterClock::end() const
{
    std::lock_guard lock(mutex_);
    return end_;
}

} // namespace zepo::stream
