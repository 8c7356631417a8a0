#include "platform/QtTimerService.h"

#include <QTimer>

namespace zepo {

QtTimerService::QtTimerService()
{
    elapsed_.start();
}

QtTimerService::~QtTimerService() = default;

TimerService::TimerId QtTimerService::startTimer(int intervalMs, Tick tick)
{
    const TimerId id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(intervalMs);
    QObject::connect(timer.get(), &QTimer::timeout, [tick = std::move(tick)] { tick(); });
    timer->start();
    timers_[id] = std::move(timer);
    return id;
}

void QtTimerService::post(std::function<void()> call)
{
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(call));
    }
    // One event per call: Qt keeps posted events in order, so the n-th event runs the
    // n-th call, whichever thread's event reached the queue first.
    QMetaObject::invokeMethod(&uiContext_, [this] { runOldestPosted(); }, Qt::QueuedConnection);
}

void QtTimerService::runOldestPosted()
{
    std::function<void()> call;
    {
        std::lock_guard lock(postedMutex_);
        call = std::move(posted_.front());
        posted_.pop_front();
    }
    call();
}

void QtTimerService::stopTimer(TimerId id)
{
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    // The timer may be stopping itself from inside its own timeout: delete it later.
    it->second->stop();
    it->second.release()->deleteLater();
    timers_.erase(it);
}

} // namespace zepo
