#include "platform/ManualClock.h"

#include <algorithm>

namespace zepo {

TimerService::TimerId ManualClock::startTimer(int intervalMs, Tick tick)
{
    // A zero interval would fire for ever within one advance(); a real timer of 0 ms
    // still yields to the event loop, which one millisecond models well enough.
    const int interval = std::max(1, intervalMs);
    const TimerId id = nextId_++;
    timers_[id] = Entry{interval, now_ + interval, std::move(tick)};
    return id;
}

void ManualClock::stopTimer(TimerId id)
{
    timers_.erase(id);
}

void ManualClock::advance(std::int64_t ms)
{
    const std::int64_t target = now_ + ms;
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due <= target && (next == timers_.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == timers_.end())
            break;
        now_ = next->second.due;
        next->second.due += next->second.intervalMs;
        // The tick may stop or start timers (itself included), so call a copy.
        Tick tick = next->second.tick;
        tick();
    }
    now_ = target;
}

} // namespace zepo
