#include "stream/TrackCodec.h"

#include "stream/StreamLog.h"

namespace zepo::stream {

Result<void, StreamError> TrackCodec::configure(const FlvPayload& info, std::span<const std::uint8_t> payload)
{
    DecoderParams params = paramsFor(info);
    if (info.offset <= payload.size())
        params.extradata.assign(payload.begin() + std::ptrdiff_t(info.offset), payload.end());
    if (codec_ && params == params_)
        return {};
    return open(std::move(params));
}

Result<TrackCodec::Readiness, StreamError> TrackCodec::prepare(const FlvPayload& info)
{
    if (needsSequenceHeader(info.codec))
        return codec_ && params_.codec == info.codec ? Readiness::Ready : Readiness::AwaitsConfiguration;
    DecoderParams params = paramsFor(info);
    if (fits(params))
        return Readiness::Ready;
    if (auto opened = open(std::move(params)); !opened)
        return opened.error();
    return Readiness::Ready;
}

// A frame's tag calls for another decoder when it names another codec, or announces
// another rate or layout. MP3 carries its own in every frame, and a video tag announces
// none, so for those the codec alone decides.
bool TrackCodec::fits(const DecoderParams& params) const
{
    if (!codec_ || params.codec != params_.codec)
        return false;
    const bool sameLayout = params.sampleRate == params_.sampleRate && params.channels == params_.channels
        && params.bitsPerSample == params_.bitsPerSample;
    return sameLayout || params.codec == FlvCodec::Mp3;
}

Result<void, StreamError> TrackCodec::open(DecoderParams params)
{
    params_ = std::move(params);
    auto opened = openDecoder(params_, logFile_);
    if (!opened) {
        codec_ = nullptr;
        return opened.error();
    }
    codec_ = std::move(*opened);
    if (debugging())
        debug(std::string("decoding with ") + codec_->codec->name);
    return {};
}

int TrackCodec::sendPacket(const AVPacket& packet, AVDiscard skip)
{
    codec_->skip_frame = skip;
    const int rc = avcodec_send_packet(codec_.get(), &packet);
    if (rc < 0 && rc != AVERROR(EAGAIN) && debugging())
        debug(std::string(codec_->codec->name) + " decoder refused the frame at " + std::to_string(packet.pts)
              + " ms: " + ffmpegErrorText(rc));
    return rc;
}

bool TrackCodec::send(const MediaPacket& packet, AVDiscard skip)
{
    auto pkt = toAvPacket(packet);
    return codec_ && pkt && sendPacket(*pkt, skip) >= 0;
}

bool TrackCodec::decode(const MediaPacket& packet, AVDiscard skip, const FrameSink& sink)
{
    auto pkt = toAvPacket(packet);
    if (!codec_ || !pkt)
        return false;
    int rc = sendPacket(*pkt, skip);
    if (rc == AVERROR(EAGAIN)) {
        // Its output is full (a frame-threaded decoder running ahead): once that is taken,
        // the decoder accepts the frame, which must not be lost, or every picture built on
        // it would be damaged.
        if (!receiveAll(sink))
            return false;
        rc = sendPacket(*pkt, skip);
        if (rc == AVERROR(EAGAIN) && debugging())
            debug(std::string(codec_->codec->name) + " decoder still had no room for the frame at "
                  + std::to_string(pkt->pts) + " ms");
    }
    return rc >= 0 && receiveAll(sink);
}

bool TrackCodec::receiveAll(const FrameSink& sink)
{
    FramePtr frame(av_frame_alloc());
    while (frame && receive(*frame)) {
        if (!sink(frame))
            return false;
        if (frame)
            av_frame_unref(frame.get());
        else
            frame.reset(av_frame_alloc());
    }
    return true;
}

bool TrackCodec::sendEnd()
{
    return codec_ && avcodec_send_packet(codec_.get(), nullptr) >= 0;
}

bool TrackCodec::receive(AVFrame& frame)
{
    return codec_ && avcodec_receive_frame(codec_.get(), &frame) >= 0;
}

bool TrackCodec::debugging() const
{
    return logFile_ ? logFile_->enabled(LogLevel::Debug) : logEnabled(LogLevel::Debug);
}

void TrackCodec::debug(const std::string& message) const
{
    if (logFile_)
        logFile_->write(LogLevel::Debug, message);
    else
        logMessage(LogLevel::Debug, std::string(), message);
}

void TrackCodec::flush()
{
    if (codec_)
        avcodec_flush_buffers(codec_.get());
}

} // namespace zepo::stream
