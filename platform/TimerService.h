#pragma once

#include <cstdint>
#include <functional>

namespace zepo {

// Every timer and every "now" that host and movie logic use comes from here, so that the
// logic runs on a manual clock in tests and on Qt timers in the program. No logic reads
// the wall clock itself. UI thread only.
class TimerService {
public:
    using TimerId = int;
    using Tick = std::function<void()>;

    virtual ~TimerService() = default;

    // Starts a repeating timer whose first tick comes one interval from now. Ids are
    // never reused within one service.
    virtual TimerId startTimer(int intervalMs, Tick tick) = 0;
    // Stopping an unknown or already stopped id does nothing; a timer may stop itself
    // (or any other) from inside its own tick.
    virtual void stopTimer(TimerId id) = 0;
    // Monotonic milliseconds since the service was made.
    virtual std::int64_t nowMs() const = 0;
};

// Owns at most one running timer of a service: the setInterval/clearInterval pair that
// movies and windows use. Stops its timer when destroyed.
class IntervalTimer {
public:
    explicit IntervalTimer(TimerService& timers) : timers_(timers) {}
    ~IntervalTimer() { stop(); }
    IntervalTimer(const IntervalTimer&) = delete;
    IntervalTimer& operator=(const IntervalTimer&) = delete;

    // Replaces a running timer.
    void start(int intervalMs, TimerService::Tick tick)
    {
        stop();
        id_ = timers_.startTimer(intervalMs, std::move(tick));
    }
    void stop()
    {
        if (id_ != 0) {
            timers_.stopTimer(id_);
            id_ = 0;
        }
    }
    bool running() const { return id_ != 0; }

private:
    TimerService& timers_;
    TimerService::TimerId id_ = 0;
};

} // namespace zepo
