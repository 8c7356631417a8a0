#include "stream/AudioOutput.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

namespace zepo::stream {
namespace {

// Device buffer of about 20 ms: short enough for a tight clock, long enough not to
// underrun on a busy machine. SDL wants a power of two.
constexpr int kBufferMilliseconds = 20;

// SDL's audio subsystem is reference-counted but not safe to initialise from two threads
// at once; two streams may open devices together.
std::mutex& sdlMutex()
{
    static std::mutex m;
    return m;
}

Uint16 bufferSamples(int rate)
{
    int samples = 256;
    while (samples < rate * kBufferMilliseconds / 1000)
        samples *= 2;
    return static_cast<Uint16>(samples);
}

// What SDL said when the device or its subsystem did not open.
StreamError deviceError()
{
    return StreamError(FlvErrorKind::Io, SDL_GetError(), StreamError::Part::Sound);
}

} // namespace

Result<std::unique_ptr<AudioOutput>, StreamError> AudioOutput::open(int rateHint, int channelsHint, Feed feed)
{
    std::unique_ptr<AudioOutput> out(new AudioOutput(feed));
    std::lock_guard lock(sdlMutex());
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return deviceError();
    SDL_AudioSpec want{};
    want.freq = rateHint > 0 ? rateHint : 44100;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(std::clamp(channelsHint, 1, 2));
    want.samples = bufferSamples(want.freq);
    want.callback = &AudioOutput::callback;
    want.userdata = out.get();
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &out->spec_,
                                                         SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device == 0) {
        StreamError error = deviceError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return error;
    }
    out->device_ = device;  // from here on the destructor closes it and quits the subsystem
    out->opened_ = true;
    out->latency_ = double(out->spec_.samples) / out->spec_.freq;
    feed.buffer.configure(out->spec_.freq, out->spec_.channels);
    SDL_PauseAudioDevice(out->device_, 0);
    return out;
}

AudioOutput::~AudioOutput()
{
    if (!opened_)
        return;
    std::lock_guard lock(sdlMutex());
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Result<void, StreamError> AudioOutput::setSuspended(bool suspended)
{
    std::lock_guard device(deviceMutex_);
    if (suspended == (device_ == 0))
        return {};
    std::lock_guard lock(sdlMutex());
    if (suspended) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        return {};
    }
    SDL_AudioSpec want = spec_;
    want.callback = &AudioOutput::callback;
    want.userdata = this;
    SDL_AudioSpec got{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);  // no changes: SDL converts if it must
    if (device_ == 0)
        return deviceError();
    SDL_PauseAudioDevice(device_, 0);
    return {};
}

void AudioOutput::releaseThreadState()
{
    SDL_TLSCleanup();
}

void AudioOutput::callback(void* self, Uint8* stream, int length)
{
    auto* out = static_cast<AudioOutput*>(self);
    const std::size_t frames = std::size_t(length) / (sizeof(float) * out->spec_.channels);
    // While paused or waiting after a seek the clock does not run: silence, nothing consumed.
    out->fill(reinterpret_cast<float*>(stream), frames);
}

void AudioOutput::fill(float* out, std::size_t frames)
{
    const auto now = std::chrono::steady_clock::now();
    std::size_t written = 0;
    if (feed_.clock.running()) {
        const float gain = float(std::clamp(feed_.volume.load(), 0, 100)) / 100.0f;
        const auto pulled = feed_.buffer.pull(out, frames, feed_.clock.nowAt(now), gain);
        written = pulled.frames;
        if (written > 0)
            feed_.clock.syncToAudio(pulled.firstPts - latency_, now);
    }
    std::memset(out + written * spec_.channels, 0, (frames - written) * spec_.channels * sizeof(float));
}

} // namespace zepo::stream
