#include "stream/Pacer.h"

#include "stream/AudioOutput.h"
#include "stream/NetStream.h"
#include "stream/StreamLog.h"

#include <algorithm>

namespace zepo::stream {
namespace {

// The clock starts anyway when a track has nothing this long after a seek (a damaged
// track, a decoder that produces nothing): better to play the rest than to wait for ever.
constexpr auto kStartGiveUp = std::chrono::seconds(2);
// A track with no data within this much after the target has a gap there: it does not
// hold up the start.
constexpr double kGapSeconds = 1.0;
// While held after a seek it looks this often for the decoders' progress: not every step
// of theirs is announced.
constexpr double kHeldPollSeconds = 0.01;
// Playing, it sleeps until the next picture is due or a new one arrives, at most this long:
// the end of a file is noticed this late at most, and the clock is read often enough to
// tell time passing from a stall of the process (MasterClock::kStall).
constexpr double kPlayingSleepSeconds = 0.1;
// The longest it sleeps while paused: nothing falls due then, and a resume, a seek, a
// resize and closing each wake it at once.
constexpr double kPausedSleepSeconds = 0.5;

} // namespace

void Pacer::run()
{
    while (!s_.stopping()) {
        const int serial = s_.phase.serial();
        sleep(turn(std::chrono::steady_clock::now()), serial);
    }
    followedOutput_.reset();  // the device may go with it: before SDL's state for this thread
    AudioOutput::releaseThreadState();
}

double Pacer::turn(TimePoint now)
{
    const int serial = s_.phase.serial();
    startWhenReady(now);
    const double wait = present(serial);
    detectEnd(serial);
    followPause();
    // Read on every turn, so that the clock can tell a stall of the whole process.
    s_.clock.now();
    return wait;
}

void Pacer::sleep(double wait, int serial)
{
    // Held after a seek, it still waits for the decoders: only a settled pause rests.
    const auto resting = [this] {
        const SessionPhase::State phase = s_.phase.state();
        return phase.paused && !phase.held();
    };
    const bool rests = resting();
    double seconds = kPausedSleepSeconds;
    if (!rests)
        seconds = s_.phase.state().held() ? kHeldPollSeconds : std::clamp(wait, 0.0, kPlayingSleepSeconds);
    std::unique_lock lock(s_.mutex);
    // A picture decoded while none waits to be shown (the one a seek lands on, say)
    // is taken at once, not at the end of the sleep.
    s_.changed.wait_for(lock, std::chrono::duration<double>(seconds), [&] {
        return s_.stopping() || s_.phase.serial() != serial || s_.videoSizeVersion != sizeVersion_
            || (!next_ && s_.frames.hasSerial(serial)) || resting() != rests || s_.audioOutput != followedOutput_
            || s_.phase.state().paused != outputSuspended_;
    });
}

// The sound device is closed while playback is paused and opened again on resume. The clock
// runs on its own meanwhile; the first sound heard after the resume anchors it again.
void Pacer::followPause()
{
    std::shared_ptr<AudioOutput> output;
    {
        std::lock_guard lock(s_.mutex);
        output = s_.audioOutput;
    }
    const bool paused = s_.phase.state().paused;
    if (output == followedOutput_ && paused == outputSuspended_)
        return;
    followedOutput_ = output;
    outputSuspended_ = paused;
    if (!output)
        return;
    if (auto done = output->setSuspended(paused); !done) {
        // The stream plays on without sound, on the monotonic clock.
        logMessage(LogLevel::Warning, s_.path, "no sound: the audio device did not open again: " + done.error().detail);
        s_.audioUsable = false;
        s_.notify();
    }
}

void Pacer::startWhenReady(TimePoint now)
{
    const SessionPhase::State phase = s_.phase.state();
    if (!phase.held())
        return;
    SessionState::ReadProgress read;
    {
        std::lock_guard lock(s_.mutex);
        read = s_.read;
    }
    const bool givenUp = now - phase.since >= kStartGiveUp;
    if (read.serial != phase.serial && !givenUp)
        return;  // the reader has not got to the target yet
    const int serial = phase.serial;
    const double target = s_.clock.now();
    const bool readPastGap = read.serial == serial && (read.atEnd || double(read.ms) / 1000.0 >= target + kGapSeconds);
    const bool videoReady = !videoActive() || holdsFrame(serial) || s_.frames.endedIn(serial)
        || (s_.videoIdle && s_.videoPackets.empty() && readPastGap);
    const bool audioReady = !audioActive() || s_.sound.hasSerial(serial) || s_.sound.endedIn(serial)
        || (s_.audioIdle && s_.audioPackets.empty() && readPastGap);
    if ((videoReady && audioReady) || givenUp)
        s_.phase.start(serial);
}

bool Pacer::takeDisplaySize()
{
    std::lock_guard lock(s_.mutex);
    if (s_.videoSizeVersion == sizeVersion_)
        return false;
    sizeVersion_ = s_.videoSizeVersion;
    size_ = s_.videoSize;
    return true;
}

double Pacer::present(int serial)
{
    // Converted outside the session's lock: the UI thread takes it to seek and to resize.
    if (takeDisplaySize() && shown_)
        show(converter_.convert(*shown_->frame, size_));
    for (;;) {
        // A seek came meanwhile: the clock is at its target already, and the pictures
        // from now on are the new generation's, not this one's to drop or show.
        if (s_.phase.serial() != serial)
            return 0;
        if (next_ && next_->serial != serial) {
            if (next_->serial == s_.phase.serial())
                return 0;
            next_.reset();
        }
        if (!next_) {
            next_ = s_.frames.pop();
            nextImage_ = Picture();
            if (!next_)
                return kPlayingSleepSeconds;
            continue;
        }
        // A picture stamped after the last tag (reordered frames) is due at the end.
        const double end = s_.clock.end();
        const double due = std::min(next_->pts, end);
        double now = s_.clock.now();
        // The first picture of a start or seek is the one at its target (the decoder holds
        // back the earlier ones), so it is shown even when the clock ran past it meanwhile.
        const bool shownOne = shown_ && shown_->serial == serial;
        if (due <= now && shownOne) {
            const auto after = s_.frames.peek();
            if (after && after->serial == serial && std::min(after->pts, end) <= now) {
                next_.reset();  // late: the one after it is due already
                continue;
            }
        }
        // Converted ahead of its time, so showing it is only handing it over.
        if (nextImage_.isNull() || nextImageSize_ != size_) {
            nextImage_ = converter_.convert(*next_->frame, size_);
            nextImageSize_ = size_;
            now = s_.clock.now();
        }
        // The first picture after a start or seek shows at once even when it is stamped
        // later (the video starts after the sound, or the seek went before the first
        // frame): the display should not stay empty or show the old position meanwhile.
        if (due > now && shownOne)
            return due - now;
        show(std::move(nextImage_));
        shown_ = std::move(next_);
        next_.reset();
    }
}

bool Pacer::holdsFrame(int serial) const
{
    return (next_ && next_->serial == serial) || s_.frames.hasSerial(serial);
}

void Pacer::show(Picture picture)
{
    if (!picture.isNull())
        s_.events->frame(std::move(picture));
}

void Pacer::detectEnd(int serial)
{
    const SessionPhase::State phase = s_.phase.state();
    if (phase.serial != serial || phase.phase != SessionPhase::Phase::Playing)
        return;
    {
        std::lock_guard lock(s_.mutex);
        if (!s_.indexDone || s_.read.serial != serial || !s_.read.atEnd)
            return;
    }
    if (s_.clock.now() < s_.clock.end())
        return;
    const bool videoDone = !videoActive() || (s_.frames.endedIn(serial) && !holdsFrame(serial));
    const bool audioDone = !audioActive() || (s_.sound.endedIn(serial) && !s_.sound.hasSerial(serial));
    if (!videoDone || !audioDone || !s_.phase.end(serial))
        return;
    s_.events->status(kBufferEmpty);
    s_.events->status(kPlayStop);
}

} // namespace zepo::stream
