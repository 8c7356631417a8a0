#pragma once

#include "platform/TimerService.h"

#include <QElapsedTimer>
#include <map>
#include <memory>

class QTimer;

namespace zepo {

// The program's timer service: one precise QTimer per started timer.
class QtTimerService : public TimerService {
public:
    QtTimerService();
    ~QtTimerService() override;

    TimerId startTimer(int intervalMs, Tick tick) override;
    void stopTimer(TimerId id) override;
    std::int64_t nowMs() const override { return elapsed_.elapsed(); }

private:
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    QElapsedTimer elapsed_;
    TimerId nextId_ = 1;
};

} // namespace zepo
