#pragma once

#include "stream/GenerationQueue.h"

#include <cstddef>
#include <vector>

namespace zepo::stream {

// Decoded sound in the output's format (interleaved float at the device's rate), stamped
// with the time of its first sample.
struct AudioChunk {
    int serial = 0;
    double pts = 0;              // seconds
    std::vector<float> samples;  // interleaved
    std::size_t readFrames = 0;  // already handed to the device
};

// Sound from the audio decoder thread to the device callback. The decoder waits while a
// short stretch is buffered; the callback never waits.
class AudioBuffer : public GenerationQueue<AudioChunk> {
public:
    void configure(int rate, int channels);
    int rate() const { return rate_; }
    int channels() const { return channels_; }

    // Waits while full; false once closed. A chunk whose generation is no longer current
    // is dropped (it would never play, and waiting for room could wait for ever).
    bool push(AudioChunk chunk);

    struct Pulled {
        std::size_t frames = 0;
        double firstPts = 0;  // time of the first frame written, when frames > 0
    };
    // Copies up to `frames` frames into out, scaled by gain.
    // Sound that continues what was played last goes on, and a gap in the track between
    // them is played as silence of the gap's length; the first sound after a start or seek
    // that is due later than `clock` is left for later; sound long past is dropped so the
    // track catches up. Silence written for a gap counts in `frames`.
    Pulled pull(float* out, std::size_t frames, double clock, float gain);

private:
    // Enough to ride out a scheduling hiccup of the decoder thread, short enough that a
    // seek discards little.
    static constexpr double kBufferedSeconds = 0.5;
    // The first sound after a start or seek this far ahead of the clock waits for it
    // (silence meanwhile); closer, it plays at once.
    static constexpr double kEarlySeconds = 0.05;
    // Sound that starts this much after the end of what was played leaves a gap, filled
    // with silence. FLV stamps are whole milliseconds, so back-to-back frames can seem up
    // to 1 ms apart: that is no gap.
    static constexpr double kGapSeconds = 0.002;
    // A chunk ending this far behind the clock is dropped instead of played late.
    static constexpr double kLateSeconds = 0.25;

    // A full buffer takes new sound again once it holds less than this.
    static constexpr double kRefillAtSeconds = 0.3;

    std::size_t bufferedFrames() const;  // mutex held
    std::size_t lowMark() const { return std::size_t(kRefillAtSeconds * rate_); }

    bool draining_ = false;          // guarded by mutex_: full, and not yet down to the low mark
    int playedSerial_ = -1;          // guarded by mutex_: generation of the sound last pulled
    double playedEnd_ = 0;           // guarded by mutex_: time just after that sound
    int rate_ = 0;                   // set before the device starts, then read-only
    int channels_ = 0;
};

} // namespace zepo::stream
