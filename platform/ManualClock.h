#pragma once

#include "platform/TimerService.h"

#include <map>

namespace zepo {

// Virtual time for tests: nothing happens until advance() is called, and then every
// timer fires exactly as often as it would have in that much real time, in due order.
class ManualClock : public TimerService {
public:
    TimerId startTimer(int intervalMs, Tick tick) override;
    void stopTimer(TimerId id) override;
    std::int64_t nowMs() const override { return now_; }

    // Runs every tick due up to now + ms (ticks due at the same moment run in the order
    // their timers were started), then sets the time to now + ms.
    void advance(std::int64_t ms);
    // Timers running now: what would wake a program that is doing nothing.
    std::size_t runningTimers() const { return timers_.size(); }

private:
    struct Entry {
        int intervalMs;
        std::int64_t due;
        Tick tick;
    };
    std::map<TimerId, Entry> timers_;
    std::int64_t now_ = 0;
    TimerId nextId_ = 1;
};

} // namespace zepo
