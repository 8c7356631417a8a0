#include "stream/AudioBuffer.h"

#include <algorithm>
#include <cmath>

namespace zepo::stream {

void AudioBuffer::configure(int rate, int channels)
{
    std::lock_guard lock(mutex_);
    rate_ = rate;
    channels_ = channels;
}

std::size_t AudioBuffer::bufferedFrames() const
{
    std::size_t n = 0;
    for (const auto& c : items_)
        n += c.samples.size() / std::size_t(channels_) - c.readFrames;
    return n;
}

bool AudioBuffer::push(AudioChunk chunk, const std::atomic<int>& currentSerial)
{
    // Sound of an earlier seek is never played: make room for the new.
    dropOtherSerials(chunk.serial);
    return pushWhen(std::move(chunk), currentSerial,
                    [this] { return bufferedFrames() < std::size_t(kBufferedSeconds * rate_); });
}

AudioBuffer::Pulled AudioBuffer::pull(float* out, std::size_t frames, int serial, double clock, float gain)
{
    Pulled pulled;
    {
        std::lock_guard lock(mutex_);
        const auto ch = std::size_t(channels_);
        while (pulled.frames < frames && !items_.empty()) {
            AudioChunk& c = items_.front();
            const std::size_t total = c.samples.size() / ch;
            const double at = c.pts + double(c.readFrames) / rate_;
            if (c.serial != serial || c.readFrames >= total
                || (pulled.frames == 0 && c.pts + double(total) / rate_ < clock - kLateSeconds)) {
                items_.pop_front();
                continue;
            }
            if (pulled.frames == 0) {
                const bool continues = playedSerial_ == serial && std::abs(at - playedEnd_) <= kEarlySeconds;
                if (!continues && at > clock + kEarlySeconds)
                    break;
                pulled.firstPts = at;
            }
            const std::size_t n = std::min(frames - pulled.frames, total - c.readFrames);
            const float* src = c.samples.data() + c.readFrames * ch;
            float* dst = out + pulled.frames * ch;
            for (std::size_t i = 0; i < n * ch; ++i)
                dst[i] = src[i] * gain;
            c.readFrames += n;
            pulled.frames += n;
            playedSerial_ = serial;
            playedEnd_ = c.pts + double(c.readFrames) / rate_;
            if (c.readFrames >= total)
                items_.pop_front();
        }
    }
    space_.notify_all();
    return pulled;
}

} // namespace zepo::stream
