#pragma once

#include "stream/AvHandles.h"
#include "stream/GenerationQueue.h"

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
class FrameQueue : public GenerationQueue<DecodedFrame> {
public:
    // Waits while full; false once closed. A frame whose generation is no longer current
    // is dropped.
    bool push(DecodedFrame frame);
    struct Peek {
        int serial;
        double pts;
    };
    // What the oldest frame is, without removing it; nothing when empty (never waits).
    std::optional<Peek> peek() const;
    std::optional<DecodedFrame> pop();

private:
    static constexpr std::size_t kDepth = 3;  // one due, one next, one being decoded ahead
};

} // namespace zepo::stream
