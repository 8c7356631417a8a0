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
    QMetaObject::invokeMethod(&uiContext_, std::move(call), Qt::QueuedConnection);
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
