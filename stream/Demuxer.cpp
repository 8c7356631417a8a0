#include "stream/Demuxer.h"

#include "stream/Amf0.h"
#include "stream/NetStream.h"

#include <algorithm>
#include <chrono>

namespace zepo::stream {
namespace {

// Tags read ahead of the clock are capped by bytes as well, so a file with huge tags or
// a wild timestamp cannot fill memory.
constexpr std::size_t kMaxQueuedBytes = 64 * 1024 * 1024;
// Read ahead at least this much whatever the buffer time: decoders need their input
// before its time.
constexpr double kMinReadAheadSeconds = 1.0;
// The configurations are looked for among this many tags at the top of the file.
constexpr int kLeadingTags = 32;
// How long the reader sleeps when it is far enough ahead; the clock moves on meanwhile.
constexpr auto kPaceInterval = std::chrono::milliseconds(20);
// How far a seek looks ahead for the picture it shows: about three minutes of a 60 fps
// video with its sound, more than any sensible keyframe interval.
constexpr int kLookAheadTags = 20000;
// The bytes of a video tag that tell its composition time.
constexpr std::size_t kVideoPeekBytes = 16;

} // namespace

MediaPacket Demuxer::marker(MediaPacket::Kind kind, double target) const
{
    MediaPacket p;
    p.kind = kind;
    p.serial = serial_;
    p.flushTarget = target;
    return p;
}

std::optional<StreamError> Demuxer::open()
{
    auto source = FileSource::open(s_.path);
    if (!source)
        return StreamError::cannotOpen(s_.path);
    auto reader = FlvReader::open(std::move(source));
    if (!reader)
        return StreamError::unreadable(s_.path, reader.error());
    reader_.emplace(std::move(*reader));
    reader_->setCancelFlag(&s_.abort);
    readLeadingConfigurations();
    return std::nullopt;
}

// The decoder configurations at the top of the file, so that even a seek made before the
// reader got that far finds them.
void Demuxer::readLeadingConfigurations()
{
    for (int i = 0; i < kLeadingTags && !(videoConfig_ && audioConfig_); ++i) {
        auto h = reader_->nextHeader();
        if (!h)
            break;
        if (h->type == FlvTagType::Script || h->encrypted)
            continue;
        auto payload = reader_->payload(*h);
        if (!payload)
            break;
        const bool video = h->type == FlvTagType::Video;
        const FlvPayload info = video ? parseVideoPayload(*payload) : parseAudioPayload(*payload);
        if (info.kind != FlvPayload::Kind::SequenceHeader)
            continue;
        MediaPacket packet;
        packet.info = info;
        packet.dtsMs = h->timestampMs;
        packet.payload = std::move(*payload);
        (video ? videoConfig_ : audioConfig_) = std::move(packet);
    }
    reader_->seek(reader_->firstTagPosition());
}

void Demuxer::resendConfigurations()
{
    if (routeVideo_ && videoConfig_) {
        MediaPacket p = *videoConfig_;
        p.serial = serial_;
        route(s_.videoPackets, std::move(p));
    }
    if (routeAudio_ && audioConfig_) {
        MediaPacket p = *audioConfig_;
        p.serial = serial_;
        route(s_.audioPackets, std::move(p));
    }
}

void Demuxer::run()
{
    if (auto failure = open()) {
        s_.events.error(std::move(*failure));
        s_.events.status(kStreamNotFound);
        s_.endOfFileSerial = 0;
        return;
    }
    s_.opened = true;
    s_.readerSerial = 0;
    routeVideo_ = s_.videoWanted && s_.videoUsable;
    routeAudio_ = s_.audioWanted && s_.audioUsable;
    s_.events.status(kPlayStart);
    while (!s_.stopping()) {
        std::optional<SessionState::SeekRequest> request;
        {
            std::lock_guard lock(s_.mutex);
            request.swap(s_.pendingSeek);
        }
        if (request) {
            seek(*request);
            continue;
        }
        updateRouting();
        if (endOfFile_) {
            reportBufferFull();
            idle();
            continue;
        }
        const double ahead = double(s_.readMs.load()) / 1000.0 - s_.clock.now();
        const std::size_t queued = s_.videoPackets.bytes() + s_.audioPackets.bytes();
        if (ahead > std::max(s_.bufferMs.load() / 1000.0, kMinReadAheadSeconds) || queued > kMaxQueuedBytes) {
            reportBufferFull();
            idle();
            continue;
        }
        readOneTag();
    }
}

void Demuxer::idle()
{
    std::unique_lock lock(s_.mutex);
    s_.changed.wait_for(lock, kPaceInterval, [this] { return s_.stopping() || s_.pendingSeek.has_value(); });
}

// The buffer counts as full once the buffer time is read ahead (or the file is read to
// its end) and the seek index exists, so that a seek made on this news is exact.
void Demuxer::reportBufferFull()
{
    if (bufferFullSent_)
        return;
    {
        std::lock_guard lock(s_.mutex);
        if (!s_.indexDone)
            return;
    }
    bufferFullSent_ = true;
    s_.events.status(kBufferFull);
}

void Demuxer::seek(const SessionState::SeekRequest& request)
{
    std::shared_ptr<const KeyframeIndex> index;
    {
        std::unique_lock lock(s_.mutex);
        s_.changed.wait(lock, [this] { return s_.stopping() || s_.indexDone; });
        index = s_.index;
    }
    if (s_.stopping())
        return;
    double target = std::max(0.0, request.seconds);
    if (index)
        target = std::min(target, index->lastTimestampMs() / 1000.0);
    const auto targetMs = static_cast<std::uint32_t>(std::min(target * 1000.0, double(UINT32_MAX)));
    const SeekPoint* point = index ? index->at(targetMs) : nullptr;
    reader_->seek(point ? point->position : reader_->firstTagPosition());

    serial_ = request.serial;
    startMs_ = targetMs;
    s_.readMs = point ? point->timeMs : 0;
    s_.readerSerial = serial_;
    endOfFile_ = false;
    bufferFullSent_ = false;
    videoNeedsKeyframe_ = false;  // the index put the reader on one
    if (routeVideo_) {
        MediaPacket flush = marker(MediaPacket::Kind::Flush, target);
        flush.flushPictureMs = pictureShownAt(target);
        route(s_.videoPackets, std::move(flush));
    }
    if (routeAudio_)
        route(s_.audioPackets, marker(MediaPacket::Kind::Flush, target));
    resendConfigurations();
}

// The presentation time of the picture a seek to the target shows (the last one not after
// it; -1 when not known), read ahead from where decoding starts: tag headers and the first
// bytes of each video tag, up to the first picture decoded after the target (no later one
// can show before it). The decoder then leaves out every picture nothing refers to on
// its way there.
std::int64_t Demuxer::pictureShownAt(double target)
{
    const std::uint64_t start = reader_->position();
    std::int64_t shown = -1;
    bool known = false;
    for (int i = 0; i < kLookAheadTags && !s_.stopping(); ++i) {
        auto h = reader_->nextHeader();
        if (!h || (h->type == FlvTagType::Video && double(h->timestampMs) / 1000.0 > target)) {
            known = true;  // the file ends, or no later picture can come before the target
            break;
        }
        if (h->type != FlvTagType::Video || h->encrypted)
            continue;
        const std::size_t n = std::min<std::size_t>(h->dataSize, kVideoPeekBytes);
        const std::uint8_t* bytes = reader_->peekPayload(*h, n);
        if (!bytes)
            continue;
        const FlvPayload info = parseVideoPayload({bytes, n});
        const std::int64_t pts = std::int64_t(h->timestampMs) + info.compositionMs;
        // Compared in seconds, as the decoder compares the pictures it decodes.
        if (info.kind == FlvPayload::Kind::Frame && double(pts) / 1000.0 <= target)
            shown = std::max(shown, pts);
    }
    reader_->seek(start);
    return known ? shown : -1;
}

// Audio and video reach their decoders only while sound is attached or a picture is
// shown; the probe's stream reads tags and decodes nothing.
void Demuxer::updateRouting()
{
    const bool video = s_.videoWanted && s_.videoUsable;
    const bool audio = s_.audioWanted && s_.audioUsable;
    if (video && !routeVideo_) {
        videoNeedsKeyframe_ = true;
        route(s_.videoPackets, marker(MediaPacket::Kind::Flush, s_.clock.now()));
        if (endOfFile_)
            route(s_.videoPackets, marker(MediaPacket::Kind::EndOfStream));
    }
    if (audio && !routeAudio_) {
        route(s_.audioPackets, marker(MediaPacket::Kind::Flush, s_.clock.now()));
        if (endOfFile_)
            route(s_.audioPackets, marker(MediaPacket::Kind::EndOfStream));
    }
    routeVideo_ = video;
    routeAudio_ = audio;
}

void Demuxer::reachEnd()
{
    endOfFile_ = true;
    if (routeVideo_)
        route(s_.videoPackets, marker(MediaPacket::Kind::EndOfStream));
    if (routeAudio_)
        route(s_.audioPackets, marker(MediaPacket::Kind::EndOfStream));
    {
        std::lock_guard lock(s_.mutex);
        // Without an index (the scan failed), the end is the latest time this read saw.
        if (s_.indexDone && !s_.index && startMs_ == 0)
            s_.clock.setEnd(double(s_.readMs.load()) / 1000.0);
    }
    s_.endOfFileSerial = serial_;
    s_.notify();
}

void Demuxer::readOneTag()
{
    auto header = reader_->nextHeader();
    if (!header) {
        reachEnd();
        return;
    }
    const FlvTagHeader& h = *header;
    const bool wanted = h.type == FlvTagType::Script ? !metaDataSent_
        : h.type == FlvTagType::Video                ? routeVideo_
                                                     : routeAudio_;
    if (h.type != FlvTagType::Script)
        s_.readMs = std::max<std::int64_t>(s_.readMs.load(), h.timestampMs);
    if (!wanted || h.encrypted)
        return;
    auto payload = reader_->payload(h);
    if (!payload) {
        reachEnd();
        return;
    }
    if (h.type == FlvTagType::Script) {
        auto script = decodeScriptData(*payload);
        if (script && script->name == "onMetaData" && !script->arguments.empty()) {
            metaDataSent_ = true;
            s_.events.metaData(std::move(script->arguments.front()));
        }
        return;
    }
    MediaPacket packet;
    packet.serial = serial_;
    packet.dtsMs = h.timestampMs;
    if (h.type == FlvTagType::Video) {
        packet.info = parseVideoPayload(*payload);
        if (packet.info.kind == FlvPayload::Kind::Frame) {
            if (videoNeedsKeyframe_ && !packet.info.keyframe)
                return;
            videoNeedsKeyframe_ = false;
        }
    } else {
        packet.info = parseAudioPayload(*payload);
    }
    if (packet.info.kind == FlvPayload::Kind::Ignored)
        return;
    packet.payload = std::move(*payload);
    if (packet.info.kind == FlvPayload::Kind::SequenceHeader)
        (h.type == FlvTagType::Video ? videoConfig_ : audioConfig_) = packet;
    route(h.type == FlvTagType::Video ? s_.videoPackets : s_.audioPackets, std::move(packet));
}

} // namespace zepo::stream
