#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace zepo::stream {

// Items stamped with the seek generation they belong to (a `serial` member), from a
// producer thread that waits for room to a consumer that never waits. The queue carries
// the generation it is in: a seek flushes it into the next one, dropping what it holds
// and freeing a push that waits, so a seek never waits behind sound or pictures nobody
// will see; from then on a push of an earlier generation's item is dropped. The producer
// marks the end of its track after its last item. close() ends every wait for good. What
// counts as room, and how items are taken out, is the owning class's.
template <typename Item>
class GenerationQueue {
public:
    // Everything held belongs to earlier generations: only items of `serial` go in from
    // now on, and the end of the track is not reached in it yet.
    void flush(int serial)
    {
        {
            std::lock_guard lock(mutex_);
            serial_ = serial;
            items_.clear();
            ended_ = false;
        }
        space_.notify_all();
    }

    // The producer's last item of the generation is in (ignored from a past generation).
    void markEnd(int serial)
    {
        std::lock_guard lock(mutex_);
        if (serial == serial_)
            ended_ = true;
    }

    bool hasSerial(int serial) const
    {
        std::lock_guard lock(mutex_);
        return std::any_of(items_.begin(), items_.end(), [serial](const Item& item) { return item.serial == serial; });
    }

    // The producer reached the end of the track in that generation.
    bool endedIn(int serial) const
    {
        std::lock_guard lock(mutex_);
        return ended_ && serial_ == serial;
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
    // Waits until hasRoom() (called with the lock held), the queue moves on to another
    // generation, or it closes. False once closed; an item of a past generation is dropped.
    template <typename HasRoom>
    bool pushWhen(Item item, HasRoom hasRoom)
    {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return closed_ || item.serial != serial_ || hasRoom(); });
        if (closed_)
            return false;
        if (item.serial == serial_)
            items_.push_back(std::move(item));
        return true;
    }

    mutable std::mutex mutex_;
    std::condition_variable space_;  // notified whenever room may have been made
    std::deque<Item> items_;         // guarded by mutex_: all of generation serial_
    int serial_ = 0;                 // guarded by mutex_: the generation it is in
    bool ended_ = false;             // guarded by mutex_: the producer's end is in
    bool closed_ = false;            // guarded by mutex_
};

} // namespace zepo::stream
