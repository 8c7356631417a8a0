#pragma once

#include "stream/MediaPacket.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace zepo::stream {

// Packets from the reader thread to one decoder thread. The reader paces itself by time
// read ahead and by bytes(); the queue itself never blocks a push.
class PacketQueue {
public:
    void push(MediaPacket packet);
    // Waits for a packet; nothing once the queue is closed. `idle` is true while waiting.
    std::optional<MediaPacket> pop(std::atomic<bool>& idle);
    void close();

    std::size_t bytes() const;
    bool empty() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<MediaPacket> packets_;  // guarded by mutex_
    std::size_t bytes_ = 0;            // guarded by mutex_
    bool closed_ = false;              // guarded by mutex_
};

} // namespace zepo::stream
