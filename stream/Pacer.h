#pragma once

#include "stream/SessionState.h"
#include "stream/VideoConverter.h"

#include <chrono>
#include <memory>
#include <optional>

namespace zepo::stream {

class AudioOutput;

// The timing thread of a session. It starts playback once the decoders have something
// at the start or seek target, shows each picture when the clock reaches it (converted
// at that moment to the current display size; a picture that is late is skipped), shows
// the last picture again when the display size changes, and ends playback, telling it,
// once everything up to the file's last timestamp has been presented. It works in the
// generation the session's phase is in; what the queues hold of another is not its own.
class Pacer {
public:
    using TimePoint = SessionPhase::TimePoint;

    explicit Pacer(SessionState& state) : s_(state), converter_(state.pictureMemory) {}
    void run();
    // One turn of the thread: what is due by the clock is done, and a start held since
    // long enough before `now` goes ahead. Returns how long it may sleep before the next
    // turn unless something changes.
    double turn(TimePoint now);

private:
    bool videoActive() const { return s_.videoWanted && s_.videoUsable; }
    bool audioActive() const { return s_.audioWanted && s_.audioUsable; }
    void startWhenReady(TimePoint now);
    // Shows what is due; returns the time until the next picture is due.
    double present(int serial);
    // Takes a new display size from the session state; true when it changed.
    bool takeDisplaySize();
    void show(Picture picture);
    bool holdsFrame(int serial) const;
    void detectEnd(int serial);
    void followPause();
    // Sleeps up to that long, or until something it waits for changes.
    void sleep(double seconds, int serial);

    SessionState& s_;
    VideoConverter converter_;
    std::optional<DecodedFrame> next_; // the next picture to show, taken from the queue
    Picture nextImage_;               // it, converted ahead of its time
    PictureSize nextImageSize_;
    // The picture on screen, kept to redraw it at a new size, and its generation.
    std::optional<DecodedFrame> shown_;
    PictureSize size_;
    int sizeVersion_ = -1;           // the size last taken from the session state
    std::shared_ptr<AudioOutput> followedOutput_;  // the sound device as last seen
    bool outputSuspended_ = false;   // whether it was closed for a pause then
};

} // namespace zepo::stream
