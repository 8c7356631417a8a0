#pragma once

#include <chrono>
#include <limits>
#include <mutex>

namespace zepo::stream {

// The playback time every part of a stream follows. It runs on the monotonic clock; while
// sound is playing, the audio output re-anchors it to the sample being heard, so the
// audio is the master and video follows it. It is held (not running) from a seek until
// the decoders have something to show at the target, and stopped while paused. It never
// reports a time past the end of the file, nor a smaller time than before while running.
//
// The session's threads read it many times a second while it runs. When a reading finds
// it unread for far longer than that, the whole process stood still (stopped by a signal,
// held in a debugger, starved): that stretch does not count, so playback goes on where it
// stood instead of skipping the time it lost. (A suspended machine needs nothing: the
// monotonic clock does not run while suspended.)
class MasterClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Seconds; the value every caller sees.
    double now() const;
    double nowAt(TimePoint at) const;
    // A time that passed between two readings of a running clock, beyond this, is a stall.
    // Well above the longest its readers leave it unread (the pacer reads it at least every
    // tenth of a second), well below a stall anyone would notice in the picture.
    static constexpr std::chrono::milliseconds kStall{500};

    // Jumps to a time and holds there until release().
    void seekTo(double seconds);
    void release();
    void setPaused(bool paused);
    // The audio output: the sample at `seconds` is heard at `at`.
    void syncToAudio(double seconds, TimePoint at);
    // The end of the timeline, once known.
    void setEnd(double seconds);

    bool running() const;
    bool held() const;
    bool paused() const;
    double end() const;

private:
    double valueAt(TimePoint at) const;  // mutex held
    void anchorAt(double value, TimePoint at);  // mutex held

    mutable std::mutex mutex_;
    // Guarded by mutex_. A reading that finds a stall moves the anchor past it, hence
    // mutable: reading is what detects it.
    mutable double anchor_ = 0;         // value at anchorTime_
    mutable TimePoint anchorTime_ = std::chrono::steady_clock::now();
    mutable TimePoint lastRead_ = anchorTime_;  // the latest instant the clock was read or anchored at
    bool held_ = true;                  // until the first frames are ready
    bool paused_ = false;
    double end_ = std::numeric_limits<double>::infinity();
    mutable double lastReported_ = 0;   // keeps reports from going backwards while running
};

} // namespace zepo::stream
