#include "stream/SessionPhase.h"

namespace zepo::stream {

SessionPhase::SessionPhase(MasterClock& clock) : clock_(clock)
{
    state_.since = std::chrono::steady_clock::now();
}

SessionPhase::State SessionPhase::state() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

int SessionPhase::serial() const
{
    std::lock_guard lock(mutex_);
    return state_.serial;
}

int SessionPhase::seek(double seconds)
{
    std::lock_guard lock(mutex_);
    clock_.seekTo(seconds);
    state_.phase = Phase::Seeking;
    state_.since = std::chrono::steady_clock::now();
    return ++state_.serial;
}

void SessionPhase::setPaused(bool paused)
{
    std::lock_guard lock(mutex_);
    clock_.setPaused(paused);
    state_.paused = paused;
    if (state_.phase == Phase::Playing || state_.phase == Phase::Paused)
        state_.phase = paused ? Phase::Paused : Phase::Playing;
}

bool SessionPhase::start(int serial)
{
    std::lock_guard lock(mutex_);
    if (serial != state_.serial || !state_.held())
        return false;
    clock_.release();
    state_.phase = state_.paused ? Phase::Paused : Phase::Playing;
    return true;
}

bool SessionPhase::end(int serial)
{
    std::lock_guard lock(mutex_);
    if (serial != state_.serial || state_.phase != Phase::Playing)
        return false;
    state_.phase = Phase::Ended;
    return true;
}

} // namespace zepo::stream
