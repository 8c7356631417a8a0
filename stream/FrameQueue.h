#pragma once

#include "stream/AvHandles.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace zepo::stream {

// A decoded picture waiting for its time.
struct DecodedFrame {
    FramePtr frame;
    int serial = 0;          // the seek generation it belongs to
    double pts = 0;          // seconds
};

// Decoded pictures from the video decoder thread to the pacer thread. A few frames
// suffice: they are kept in the decoder's format and converted only when shown.
class FrameQueue {
public:
    // Waits while full; false once closed. A frame whose generation is no longer current
    // is dropped.
    bool push(DecodedFrame frame, const std::atomic<int>& currentSerial);
    // Wakes a waiting push to look at the current generation again.
    void wake();
    struct Peek {
        int serial;
        double pts;
    };
    // What the oldest frame is, without removing it; nothing when empty (never waits).
    std::optional<Peek> peek() const;
    std::optional<DecodedFrame> pop();
    // Drops frames of older seek generations (which also frees a blocked push).
    void dropOtherSerials(int serial);
    bool hasSerial(int serial) const;
    void close();

private:
    static constexpr std::size_t kDepth = 3;  // one due, one next, one being decoded ahead

    mutable std::mutex mutex_;
    std::condition_variable space_;
    std::deque<DecodedFrame> frames_;  // guarded by mutex_
    bool closed_ = false;              // guarded by mutex_
};

} // namespace zepo::stream
