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

bool AudioBuffer::push(AudioChunk chunk)
{
    // Once full, it waits until the device has used up a good part of it, then fills it in
    // one go: the decoder wakes a few times a second, not once a device buffer.
    return pushWhen(std::move(chunk), [this] {
        const std::size_t buffered = bufferedFrames();
        if (buffered >= std::size_t(kBufferedSeconds * rate_))
            draining_ = true;
        else if (buffered < lowMark())
            draining_ = false;
        return !draining_;
    });
}

AudioBuffer::Pulled AudioBuffer::pull(float* out, std::size_t frames, double clock, float gain)
{
    Pulled pulled;
    {
        std::lock_guard lock(mutex_);
        const auto ch = std::size_t(channels_);
        while (pulled.frames < frames && !items_.empty()) {
            AudioChunk& c = items_.front();
            const std::size_t total = c.samples.size() / ch;
            const double at = c.pts + double(c.readFrames) / rate_;
            if (c.readFrames >= total
                || (pulled.frames == 0 && c.pts + double(total) / rate_ < clock - kLateSeconds)) {
                items_.pop_front();
                continue;
            }
            const bool sameTrack = playedSerial_ == serial_;
            if (pulled.frames == 0 && !sameTrack && at > clock + kEarlySeconds)
                break;  // the first sound after a start or seek waits for its time
            if (sameTrack) {
                // The next frame written stands right after what was played; at the start
                // of a buffer, where the clock ran on to if the sound ran out meanwhile.
                const double cursor = pulled.frames == 0 ? std::max(playedEnd_, clock) : playedEnd_;
                const auto gap = std::size_t(std::llround(std::max(0.0, at - cursor) * rate_));
                if (at > cursor + kGapSeconds && gap > 0) {
                    // A gap in the track is played as silence of its length, so the sound
                    // after it, and the clock that follows the sound, stay on time.
                    if (pulled.frames == 0)
                        pulled.firstPts = cursor;
                    const std::size_t n = std::min(frames - pulled.frames, gap);
                    std::fill_n(out + pulled.frames * ch, n * ch, 0.0f);
                    pulled.frames += n;
                    playedEnd_ = cursor + double(n) / rate_;
                    continue;
                }
            }
            if (pulled.frames == 0)
                pulled.firstPts = at;
            const std::size_t n = std::min(frames - pulled.frames, total - c.readFrames);
            const float* src = c.samples.data() + c.readFrames * ch;
            float* dst = out + pulled.frames * ch;
            for (std::size_t i = 0; i < n * ch; ++i)
                dst[i] = src[i] * gain;
            c.readFrames += n;
            pulled.frames += n;
            playedSerial_ = serial_;
            playedEnd_ = c.pts + double(c.readFrames) / rate_;
            if (c.readFrames >= total)
                items_.pop_front();
        }
        if (bufferedFrames() >= lowMark())
            return pulled;  // a waiting decoder would find no room yet
    }
    space_.notify_all();
    return pulled;
}

} // namespace zepo::stream
