#include "stream/VideoDecoder.h"

namespace zepo::stream {
namespace {

// On the way to a seek target, pictures that nothing refers to and that are stamped this
// much before the target are not decoded at all: none of them can be the picture at the
// target (the last one not after it) in any video of at least one frame a second.
constexpr double kSkipBeforeTargetSeconds = 1.0;

} // namespace

void VideoDecoder::run()
{
    while (auto packet = s_.videoPackets.pop(s_.videoIdle)) {
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
            if (packet->info.kind == FlvPayload::Kind::SequenceHeader)
                configure(*packet);
            else if (packet->info.kind == FlvPayload::Kind::Frame && packet->serial == s_.serial.load())
                decode(*packet);
            break;
        }
    }
}

void VideoDecoder::flush(const MediaPacket& packet)
{
    serial_ = packet.serial;
    target_ = packet.flushTarget;
    seeking_ = true;
    atTarget_.reset();
    if (codec_)
        avcodec_flush_buffers(codec_.get());
}

// The end of the file: what the decoder still holds comes out, then the picture held
// for the target if nothing came after it.
void VideoDecoder::finish()
{
    if (codec_ && avcodec_send_packet(codec_.get(), nullptr) >= 0)
        receiveFrames();
    if (codec_)
        avcodec_flush_buffers(codec_.get());
    if (atTarget_) {
        deliver(std::move(*atTarget_));
        atTarget_.reset();
    }
    seeking_ = false;
    s_.videoEndSerial = serial_;
    s_.notify();
}

void VideoDecoder::configure(const MediaPacket& packet)
{
    DecoderParams params = paramsFor(packet.info);
    params.extradata.assign(packet.payload.begin() + std::ptrdiff_t(packet.info.offset), packet.payload.end());
    if (codec_ && params == params_)
        return;
    params_ = params;
    codec_ = openDecoder(params_);
    if (!codec_) {
        s_.videoUsable = false;
        s_.notify();
    }
}

void VideoDecoder::decode(const MediaPacket& packet)
{
    if (needsSequenceHeader(packet.info.codec)) {
        if (!codec_ || params_.codec != packet.info.codec)
            return;  // nothing to decode with until the sequence header
    } else if (!codec_ || params_.codec != packet.info.codec) {
        params_ = paramsFor(packet.info);
        codec_ = openDecoder(params_);
        if (!codec_) {
            s_.videoUsable = false;
            s_.notify();
            return;
        }
    }
    auto pkt = toAvPacket(packet);
    if (!pkt)
        return;
    const bool longBeforeTarget = seeking_ && double(pkt->pts) / 1000.0 < target_ - kSkipBeforeTargetSeconds;
    codec_->skip_frame = longBeforeTarget ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    // A damaged frame is the decoder's to conceal; the next ones go on.
    if (avcodec_send_packet(codec_.get(), pkt.get()) < 0)
        return;
    receiveFrames();
}

void VideoDecoder::receiveFrames()
{
    for (;;) {
        FramePtr frame(av_frame_alloc());
        if (!frame || avcodec_receive_frame(codec_.get(), frame.get()) < 0)
            return;
        const std::int64_t ms = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
        DecodedFrame d{std::move(frame), serial_, ms == AV_NOPTS_VALUE ? target_ : double(ms) / 1000.0};
        if (seeking_) {
            if (d.pts <= target_) {
                atTarget_ = std::move(d);
                continue;
            }
            seeking_ = false;
            if (atTarget_) {
                if (!deliver(std::move(*atTarget_)))
                    return;
                atTarget_.reset();
            }
        }
        if (!deliver(std::move(d)))
            return;
    }
}

bool VideoDecoder::deliver(DecodedFrame frame)
{
    const bool ok = s_.frames.push(std::move(frame), s_.serial);
    s_.notify();
    return ok;
}

} // namespace zepo::stream
