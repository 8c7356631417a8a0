#pragma once

#include "stream/AudioBuffer.h"
#include "stream/MasterClock.h"
#include "stream/StreamError.h"

#include <SDL2/SDL_audio.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace zepo::stream {

// One SDL audio device playing an AudioBuffer. Its callback (on SDL's thread) applies the
// volume and tells the master clock which sample is being heard. Without a device (no
// sound server, no driver) open() gives nothing and the stream runs on the monotonic clock.
// While playback is paused the device is closed: SDL keeps a paused device's thread
// running, waking every buffer to write silence, and a sound server keeps its stream going.
class AudioOutput {
public:
    struct Feed {
        AudioBuffer& buffer;
        MasterClock& clock;
        const std::atomic<int>& volume;   // 0..100, linear
    };

    // Asks for the track's own rate and layout (at most stereo); SDL may choose another,
    // which rate()/channels() report and the buffer is configured with. Without a device,
    // the sound's I/O error with SDL's reason.
    static Result<std::unique_ptr<AudioOutput>, StreamError> open(int rateHint, int channelsHint, Feed feed);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // SDL keeps per-thread state (its error text) for every thread that calls it; a
    // thread that opened a device frees it with this before it ends.
    static void releaseThreadState();

    int rate() const { return spec_.freq; }
    int channels() const { return spec_.channels; }

    // Closes the device, or opens it again with the very format it had (the buffer holds
    // sound converted to it). Any thread; doing what is already done does nothing. The
    // sound's I/O error with SDL's reason when the device cannot be opened again.
    Result<void, StreamError> setSuspended(bool suspended);

private:
    explicit AudioOutput(Feed feed) : feed_(feed) {}
    static void callback(void* self, Uint8* stream, int length);
    void fill(float* out, std::size_t frames);

    Feed feed_;
    std::mutex deviceMutex_;         // guards device_ against a suspend from another thread
    SDL_AudioDeviceID device_ = 0;   // 0 while suspended
    SDL_AudioSpec spec_{};           // what the device was opened with; fixed after open()
    bool opened_ = false;  // the subsystem is ours to quit
    double latency_ = 0;  // seconds between a callback and its first sample being heard
};

} // namespace zepo::stream
