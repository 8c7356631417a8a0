#include "stream/AudioDecoder.h"

#include "stream/StreamLog.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>

namespace zepo::stream {

// The decoder thread ends here: the device goes before the buffer it reads from is torn
// down with the session, and SDL's state for this thread with it.
AudioDecoder::~AudioDecoder()
{
    {
        std::lock_guard lock(s_.mutex);
        s_.audioOutput.reset();
    }
    output_.reset();
    AudioOutput::releaseThreadState();
    av_channel_layout_uninit(&resamplerLayout_);
}

void AudioDecoder::restart()
{
    nextPts_ = -1;
    resampler_.reset();  // its delay line holds sound from before the seek
}

bool AudioDecoder::needed(const MediaPacket& packet)
{
    return double(packet.dtsMs) / 1000.0 >= target_ - kPrimingSeconds;
}

int AudioDecoder::prepareResampler(const AVFrame& frame)
{
    if (resampler_ && frame.sample_rate == resamplerRate_ && frame.format == resamplerFormat_
        && av_channel_layout_compare(&frame.ch_layout, &resamplerLayout_) == 0)
        return 0;
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, output_->channels());
    SwrContext* swr = nullptr;
    int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLT, output_->rate(),
                                 const_cast<AVChannelLayout*>(&frame.ch_layout), static_cast<AVSampleFormat>(frame.format),
                                 frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    resampler_.reset(swr);
    if (rc >= 0)
        rc = swr ? swr_init(swr) : AVERROR(ENOMEM);
    if (rc < 0) {
        resampler_.reset();
        return rc;
    }
    resamplerRate_ = frame.sample_rate;
    resamplerFormat_ = frame.format;
    av_channel_layout_uninit(&resamplerLayout_);
    av_channel_layout_copy(&resamplerLayout_, &frame.ch_layout);
    return 0;
}

bool AudioDecoder::decoded(FramePtr& decodedFrame)
{
    const AVFrame& frame = *decodedFrame;
    if (frame.sample_rate <= 0 || frame.nb_samples <= 0 || frame.ch_layout.nb_channels <= 0)
        return true;
    if (!output_) {
        auto opened = AudioOutput::open(frame.sample_rate, frame.ch_layout.nb_channels,
                                        {s_.sound, s_.clock, s_.volume});
        if (!opened) {
            // Nothing the movie could show; the file plays on without sound.
            s_.log.write(LogLevel::Warning, "no sound: no audio device: " + opened.error().detail);
            abandon();
            return true;
        }
        output_ = std::move(*opened);
        if (s_.log.enabled(LogLevel::Debug))
            s_.log.write(LogLevel::Debug, "sound at " + std::to_string(output_->rate()) + " Hz, "
                                                     + std::to_string(output_->channels()) + " channels");
        {
            std::lock_guard lock(s_.mutex);
            s_.audioOutput = output_;
        }
        s_.notify();  // the pacer closes it again at once when playback is paused
    }
    if (const int rc = prepareResampler(frame); rc < 0) {
        fail({FlvErrorKind::Unsupported, "no conversion to the device's format: " + ffmpegErrorText(rc)});
        return true;
    }
    double pts = frame.best_effort_timestamp != AV_NOPTS_VALUE ? double(frame.best_effort_timestamp) / 1000.0
                                                               : nextPts_;
    if (pts < 0)
        pts = target_;
    nextPts_ = pts + double(frame.nb_samples) / frame.sample_rate;
    if (nextPts_ <= target_)
        return true;  // wholly before the seek target

    const int channels = output_->channels();
    const int capacity = swr_get_out_samples(resampler_.get(), frame.nb_samples);
    if (capacity <= 0)
        return true;
    AudioChunk chunk;
    chunk.serial = serial_;
    chunk.samples.resize(std::size_t(capacity) * channels);
    auto* out = reinterpret_cast<std::uint8_t*>(chunk.samples.data());
    const int got = swr_convert(resampler_.get(), &out, capacity,
                                const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    if (got <= 0)
        return true;
    chunk.samples.resize(std::size_t(got) * channels);
    chunk.pts = pts;
    if (pts < target_) {
        // Cut off the part before the target.
        const auto skip = std::min<std::size_t>(std::size_t(std::llround((target_ - pts) * output_->rate())), std::size_t(got));
        chunk.samples.erase(chunk.samples.begin(), chunk.samples.begin() + std::ptrdiff_t(skip * channels));
        chunk.pts = target_;
        if (chunk.samples.empty())
            return true;
    }
    const bool ok = s_.sound.push(std::move(chunk));
    // Only the start after a seek waits for sound; while the clock runs, telling the
    // session's threads of every chunk would only wake them for nothing.
    if (s_.clock.held())
        s_.notify();
    return ok;
}

} // namespace zepo::stream
