#include "stream/DecoderLoop.h"

#include "stream/PictureBound.h"

namespace zepo::stream {

void DecoderLoop::run()
{
    while (auto packet = track_.packets.pop(track_.idle)) {
        switch (packet->kind) {
        case MediaPacket::Kind::Flush:
            flush(*packet);
            break;
        case MediaPacket::Kind::EndOfStream:
            finish();
            break;
        case MediaPacket::Kind::Data:
            if (!track_.usable)
                break;
            if (packet->info.kind == FlvPayload::Kind::SequenceHeader) {
                if (auto configured = codec_.configure(packet->info, packet->payload); !configured)
                    fail(configured.error());
            } else if (packet->info.kind == FlvPayload::Kind::Frame) {
                decode(*packet);
            } else if (packet->info.kind == FlvPayload::Kind::Unsupported) {
                unsupported(packet->info);
            }
            break;
        }
    }
}

void DecoderLoop::tell(StreamError error)
{
    error.part = track_.part;
    error.file = s_.path;
    s_.events->error(std::move(error));
}

void DecoderLoop::fail(StreamError error)
{
    tell(std::move(error));
    abandon();
}

// A track whose tags name a codec no decoder here knows is told once, while no decoder has
// been opened for it. The track is not given up: a damaged tag among good ones can name
// any codec, and the good ones play on.
void DecoderLoop::unsupported(const FlvPayload& info)
{
    if (unsupportedTold_ || codec_.isOpen())
        return;
    unsupportedTold_ = true;
    tell({FlvErrorKind::Unsupported, unsupportedCodecText(info, track_.part == StreamError::Part::Video)});
}

void DecoderLoop::abandon()
{
    track_.usable = false;
    s_.notify();
}

void DecoderLoop::flush(const MediaPacket& packet)
{
    serial_ = packet.serial;
    target_ = packet.flushTarget;
    targetPictureMs_ = packet.flushPictureMs;
    codec_.flush();
    restart();
}

// The end of the file: what the decoder still holds comes out.
void DecoderLoop::finish()
{
    if (codec_.sendEnd())
        codec_.receiveAll(sink_);
    codec_.flush();
    drained();
    s_.notify();
}

void DecoderLoop::decode(const MediaPacket& packet)
{
    if (!needed(packet))
        return;
    const auto readiness = codec_.prepare(packet.info);
    if (!readiness) {
        fail(readiness.error());
        return;
    }
    if (*readiness == TrackCodec::Readiness::AwaitsConfiguration)
        return;  // nothing to decode with until the sequence header
    codec_.decode(packet, skipFor(packet), sink_);
    // Frame threads may refuse the picture a frame or two later: looked at after each.
    if (const auto [width, height] = s_.log.pictureTooLarge(); width > 0 && track_.part == StreamError::Part::Video)
        fail({FlvErrorKind::Unsupported, "its pictures are " + std::to_string(width) + "x" + std::to_string(height)
                                             + ", more than the " + std::to_string(kMaxPicturePixels)
                                             + " pixels a picture may have here"});
}

} // namespace zepo::stream
