#pragma once

#include "stream/MasterClock.h"

#include <chrono>
#include <mutex>

namespace zepo::stream {

// Where a playback session stands, and the seek generation (serial) it is in: the one
// place both change, the clock following each change. The owner's thread starts each
// generation with a seek and pauses or resumes; the pacer starts playback once the
// decoders have something at the start or seek target, and ends it once everything has
// been presented. Every other thread learns the generation from what it takes out of its
// queue (a seek flushes the queues into the new one).
class SessionPhase {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    enum class Phase {
        Opening,  // held at the start until the decoders have something
        Seeking,  // held at a seek target likewise
        Playing,
        Paused,
        Ended,    // everything up to the last timestamp was presented and told
    };
    struct State {
        Phase phase = Phase::Opening;
        int serial = 0;          // the seek generation
        TimePoint since;         // when the generation began
        bool paused = false;     // the owner wants playback paused, whatever the phase
        bool held() const { return phase == Phase::Opening || phase == Phase::Seeking; }
    };

    explicit SessionPhase(MasterClock& clock);

    State state() const;
    int serial() const;

    // The owner's thread. A seek starts the next generation, held at the target; the
    // number returned is the new generation's.
    int seek(double seconds);
    // Paused stays paused through a seek and after the end; a held start or seek goes on
    // waiting for the decoders either way.
    void setPaused(bool paused);

    // The pacer. Playback starts (or stands paused) in that generation, if it was held in
    // it; false otherwise.
    bool start(int serial);
    // Playback of that generation has ended, if it was playing; false otherwise (another
    // generation, paused, or ended already).
    bool end(int serial);

private:
    MasterClock& clock_;
    mutable std::mutex mutex_;
    State state_;  // guarded by mutex_
};

} // namespace zepo::stream
