#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace zepo::stream {

// Items stamped with the seek generation they belong to (a `serial` member), from a
// producer thread that waits for room to a consumer that never waits. A seek makes the
// items of earlier generations worthless: a push of such an item is dropped, and a push
// waiting for room gives up once the generation has moved on (after wake()), so a seek
// never waits behind sound or pictures nobody will see. close() ends every wait for good.
// What counts as room, and how items are taken out, is the owning class's.
template <typename Item>
class GenerationQueue {
public:
    // Wakes a waiting push to look at the current generation again.
    void wake()
    {
        { std::lock_guard lock(mutex_); }
        space_.notify_all();
    }

    // Drops items of other generations (which also frees a waiting push). A waiting push
    // is woken only when something went: the consumer calls this on every turn.
    void dropOtherSerials(int serial)
    {
        std::size_t dropped = 0;
        {
            std::lock_guard lock(mutex_);
            dropped = std::erase_if(items_, [serial](const Item& item) { return item.serial != serial; });
        }
        if (dropped > 0)
            space_.notify_all();
    }

    bool hasSerial(int serial) const
    {
        std::lock_guard lock(mutex_);
        return std::any_of(items_.begin(), items_.end(), [serial](const Item& item) { return item.serial == serial; });
    }

    void close()
    {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            items_.clear();
        }
        space_.notify_all();
    }

protected:
    // Waits until hasRoom() (called with the lock held), the generation moves on, or the
    // queue closes. False once closed; an item of a past generation is dropped.
    template <typename HasRoom>
    bool pushWhen(Item item, const std::atomic<int>& currentSerial, HasRoom hasRoom)
    {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return closed_ || item.serial != currentSerial.load() || hasRoom(); });
        if (closed_)
            return false;
        if (item.serial == currentSerial.load())
            items_.push_back(std::move(item));
        return true;
    }

    mutable std::mutex mutex_;
    std::condition_variable space_;  // notified whenever room may have been made
    std::deque<Item> items_;         // guarded by mutex_
    bool closed_ = false;            // guarded by mutex_
};

} // namespace zepo::stream
