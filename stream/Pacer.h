#pragma once

#include "stream/SessionState.h"
#include "stream/VideoConverter.h"

#include <chrono>
#include <memory>
#include <optional>

namespace zepo::stream {

class AudioOutput;

// The timing thread of a session. It starts the clock once the decoders have something
// at the start or seek target, shows each picture when the clock reaches it (converted
// at that moment to the current display size; a picture that is late is skipped), shows
// the last picture again when the display size changes, and reports the end of the file
// once everything up to its last timestamp has been presented.
class Pacer {
public:
    explicit Pacer(SessionState& state) : s_(state), converter_(state.pictureMemory) {}
    void run();

private:
    bool videoActive() const { return s_.videoWanted && s_.videoUsable; }
    bool audioActive() const { return s_.audioWanted && s_.audioUsable; }
    void startWhenReady(int serial);
    // Shows what is due; returns the time until the next picture is due.
    double present(int serial);
    // Takes a new display size from the session state; true when it changed.
    bool takeDisplaySize();
    void show(Picture picture);
    bool holdsFrame(int serial) const;
    void detectEnd(int serial);
    void followPause();

    SessionState& s_;
    VideoConverter converter_;
    std::optional<DecodedFrame> next_; // the next picture to show, taken from the queue
    Picture nextImage_;               // it, converted ahead of its time
    PictureSize nextImageSize_;
    FramePtr shown_;                  // the picture on screen, kept to redraw it at a new size
    int shownSerial_ = -1;            // the generation it belongs to
    PictureSize size_;
    int sizeVersion_ = -1;           // the size last taken from the session state
    int heldSerial_ = -1;             // the generation whose start we are waiting for
    std::chrono::steady_clock::time_point heldSince_{};
    int stoppedSerial_ = -1;          // the generation whose end was reported
    std::shared_ptr<AudioOutput> followedOutput_;  // the sound device as last seen
    bool outputSuspended_ = false;   // whether it was closed for a pause then
};

} // namespace zepo::stream
