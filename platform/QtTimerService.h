#pragma once

#include "platform/TimerService.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class QTimer;

namespace zepo {

// The program's timer service: one precise QTimer per started timer. It also carries
// calls from other threads (a stream's) over to the UI thread.
class QtTimerService : public TimerService {
public:
    QtTimerService();
    ~QtTimerService() override;

    TimerId startTimer(int intervalMs, Tick tick) override;
    void stopTimer(TimerId id) override;
    std::int64_t nowMs() const override { return elapsed_.elapsed(); }

    // Runs `call` on the UI thread at the event loop's next turn. Callable from any
    // thread; calls still waiting when the service goes are dropped.
    void post(std::function<void()> call);

private:
    void runOldestPosted();

    QObject uiContext_;  // lives on the UI thread and receives the posted calls
    // Calls posted and not yet run, oldest first. Pushed by any thread, popped by the UI
    // thread, always under postedMutex_: the call and what it captured cross threads
    // through this lock, which the sanitizer sees, not through Qt's event queue, whose
    // locks it cannot see.
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    QElapsedTimer elapsed_;
    TimerId nextId_ = 1;
};

} // namespace zepo
