#include "stream/AudioDecoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>

namespace zepo::stream {

AudioDecoder::~AudioDecoder()
{
    av_channel_layout_uninit(&resamplerLayout_);
}

void AudioDecoder::run()
{
    while (auto packet = s_.audioPackets.pop(s_.audioIdle)) {
        switch (packet->kind) {
        case MediaPacket::Kind::Flush:
            flush(*packet);
            break;
        case MediaPacket::Kind::EndOfStream:
            if (packet->serial == s_.serial.load())
                finish();
            break;
        case MediaPacket::Kind::Data:
            // A configuration applies whenever it was read; a frame read before a later
            // seek is dropped.
            if (!s_.audioUsable)
                break;
            if (packet->info.kind == FlvPayload::Kind::SequenceHeader)
                configure(*packet);
            else if (packet->info.kind == FlvPayload::Kind::Frame && packet->serial == s_.serial.load())
                decode(*packet);
            break;
        }
    }
    // The device goes before the buffer it reads from is torn down with the session.
    output_.reset();
    AudioOutput::releaseThreadState();
}

void AudioDecoder::giveUp()
{
    s_.audioUsable = false;
    s_.notify();
}

void AudioDecoder::flush(const MediaPacket& packet)
{
    serial_ = packet.serial;
    target_ = packet.flushTarget;
    nextPts_ = -1;
    if (codec_)
        avcodec_flush_buffers(codec_.get());
    resampler_.reset();  // its delay line holds sound from before the seek
}

void AudioDecoder::finish()
{
    if (codec_ && avcodec_send_packet(codec_.get(), nullptr) >= 0)
        receiveFrames();
    if (codec_)
        avcodec_flush_buffers(codec_.get());
    s_.audioEndSerial = serial_;
    s_.notify();
}

void AudioDecoder::configure(const MediaPacket& packet)
{
    DecoderParams params = paramsFor(packet.info);
    params.extradata.assign(packet.payload.begin() + std::ptrdiff_t(packet.info.offset), packet.payload.end());
    if (codec_ && params == params_)
        return;
    params_ = params;
    codec_ = openDecoder(params_);
    if (!codec_)
        giveUp();
}

void AudioDecoder::decode(const MediaPacket& packet)
{
    if (needsSequenceHeader(packet.info.codec)) {
        if (!codec_ || params_.codec != packet.info.codec)
            return;
    } else {
        DecoderParams params = paramsFor(packet.info);
        // MP3 carries its own rate and layout in every frame; the others need the tag's.
        const bool sameStream = codec_ && params.codec == params_.codec
            && (params.codec == FlvCodec::Mp3 || params == params_);
        if (!sameStream) {
            params_ = params;
            codec_ = openDecoder(params_);
            if (!codec_) {
                giveUp();
                return;
            }
        }
    }
    auto pkt = toAvPacket(packet);
    if (!pkt || avcodec_send_packet(codec_.get(), pkt.get()) < 0)
        return;
    receiveFrames();
}

void AudioDecoder::receiveFrames()
{
    FramePtr frame(av_frame_alloc());
    while (frame && s_.audioUsable && avcodec_receive_frame(codec_.get(), frame.get()) >= 0) {
        if (!deliver(*frame))
            return;
        av_frame_unref(frame.get());
    }
}

bool AudioDecoder::prepareResampler(const AVFrame& frame)
{
    if (resampler_ && frame.sample_rate == resamplerRate_ && frame.format == resamplerFormat_
        && av_channel_layout_compare(&frame.ch_layout, &resamplerLayout_) == 0)
        return true;
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, output_->channels());
    SwrContext* swr = nullptr;
    const int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLT, output_->rate(),
                                       const_cast<AVChannelLayout*>(&frame.ch_layout), static_cast<AVSampleFormat>(frame.format),
                                       frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    resampler_.reset(swr);
    if (rc < 0 || !swr || swr_init(swr) < 0) {
        resampler_.reset();
        return false;
    }
    resamplerRate_ = frame.sample_rate;
    resamplerFormat_ = frame.format;
    av_channel_layout_uninit(&resamplerLayout_);
    av_channel_layout_copy(&resamplerLayout_, &frame.ch_layout);
    return true;
}

bool AudioDecoder::deliver(const AVFrame& frame)
{
    if (frame.sample_rate <= 0 || frame.nb_samples <= 0 || frame.ch_layout.nb_channels <= 0)
        return true;
    if (!output_) {
        output_ = AudioOutput::open(frame.sample_rate, frame.ch_layout.nb_channels,
                                    {s_.sound, s_.clock, s_.volume, s_.serial});
        if (!output_) {
            giveUp();
            return true;
        }
    }
    if (!prepareResampler(frame)) {
        giveUp();
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
    const bool ok = s_.sound.push(std::move(chunk), s_.serial);
    s_.notify();
    return ok;
}

} // namespace zepo::stream
