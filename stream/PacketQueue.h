#pragma once

#include "stream/MediaPacket.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace zepo::stream {

// Packets from the reader thread to one decoder thread. The reader paces itself by time
// read ahead and by bytes(); the queue itself never blocks a push. Like the queues after
// the decoders, it carries the seek generation it is in: a seek flushes it into the next
// one, and a packet of an earlier generation (read before the reader heard of the seek)
// is dropped, so the decoder never spends time on it.
class PacketQueue {
public:
    // Dropped when closed, or when the packet belongs to a past generation.
    void push(MediaPacket packet);
    // Everything queued belongs to earlier generations: only packets of `serial` go in
    // from now on, the first of them the reader's flush marker.
    void flush(int serial);
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
    int serial_ = 0;                   // guarded by mutex_: the generation it is in
    bool closed_ = false;              // guarded by mutex_
};

} // namespace zepo::stream
