#include "stream/Demuxer.h"

#include "stream/Amf0.h"
#include "stream/AudioDecoder.h"
#include "stream/NetStream.h"
#include "stream/StreamLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zepo::stream {
namespace {

// Tags read ahead of the clock are capped by bytes as well, so a file with huge tags or
// a wild timestamp cannot fill memory.
constexpr std::size_t kMaxQueuedBytes = 64 * 1024 * 1024;
// Read ahead at least this much whatever the buffer time: decoders need their input
// before its time.
constexpr double kMinReadAheadSeconds = 1.0;
// The configurations are looked for among this many tags at the top of the file.
constexpr int kTagsBeforeConfigurations = 32;
// Far enough ahead, the reader sleeps until the clock has used up this much of what it
// read ahead, then reads it again in one go: a few wake-ups a second instead of one a tag.
constexpr double kRefillSeconds = 0.5;
// How long it sleeps when the queues hold all the bytes they may; the decoders take from
// them meanwhile.
constexpr double kPaceSeconds = 0.02;
// The longest it sleeps: while paused, or at the end of the file, only a resume, a seek
// or a change of tracks changes what it must read, and each wakes it.
constexpr double kLongestSleepSeconds = 0.5;
// How far a seek looks ahead for the picture it shows: about three minutes of a 60 fps
// video with its sound, more than any sensible keyframe interval.
constexpr int kLookAheadTags = 20000;
// The bytes of a video tag that tell its composition time.
constexpr std::size_t kVideoPeekBytes = 16;

std::string seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", double(ms) / 1000.0);
    return text;
}

} // namespace

void Demuxer::warn(const std::string& what)
{
    if (warnings_ > kMaxLinesPerFile)
        return;
    ++warnings_;
    s_.log.write(LogLevel::Warning, warnings_ <= kMaxLinesPerFile ? what : "further warnings about this file are left out");
}

void Demuxer::warnAt(std::uint64_t position, const std::string& what)
{
    if (warnedUpTo_ && position <= *warnedUpTo_)
        return;
    warnedUpTo_ = position;
    warn(what);
}

void Demuxer::noteSkipped(std::uint64_t landed)
{
    const std::uint64_t skipped = reader_->skippedBytes() - skippedSeen_;
    skippedSeen_ = reader_->skippedBytes();
    if (skipped > 0)
        warnAt(landed, "skipped " + std::to_string(skipped) + " damaged bytes before byte " + std::to_string(landed));
}

MediaPacket Demuxer::marker(MediaPacket::Kind kind, double target) const
{
    MediaPacket p;
    p.kind = kind;
    p.serial = serial_;
    p.flushTarget = target;
    return p;
}

Result<void, StreamError> Demuxer::open()
{
    auto source = FileSource::tryOpen(s_.path);
    if (!source)
        return source.error();
    auto reader = FlvReader::open(std::move(*source));
    if (!reader)
        return StreamError::unreadable(s_.path, reader.error());
    reader_.emplace(std::move(*reader));
    reader_->setCancelFlag(&s_.abort);
    return {};
}

// The decoder configurations at the top of the file, so that even a seek made before the
// reader got that far finds them.
void Demuxer::readLeadingConfigurations()
{
    for (int i = 0; i < kTagsBeforeConfigurations && !(videoConfig_ && audioConfig_); ++i) {
        auto h = reader_->nextHeader();
        if (!h)
            break;
        noteSkipped(h->position);
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
    if (!start())
        return;
    while (!s_.stopping()) {
        if (const auto wait = step())
            idle(*wait);
    }
}

bool Demuxer::start()
{
    if (auto opened = open(); !opened) {
        s_.events->error(opened.error());
        s_.events->status(kStreamNotFound);
        return false;
    }
    publishProgress();
    routeVideo_ = s_.videoWanted && s_.videoUsable;
    routeAudio_ = s_.audioWanted && s_.audioUsable;
    // Started, as a local file is, once its header is sound: a long stretch of damage
    // (or of a download's unwritten zeros) before the first tag is read through after.
    s_.events->status(kPlayStart);
    readLeadingConfigurations();
    return true;
}

std::optional<double> Demuxer::step()
{
    std::optional<SessionState::SeekRequest> request;
    {
        std::lock_guard lock(s_.mutex);
        request.swap(s_.pendingSeek);
    }
    if (request) {
        seek(*request);
        return std::nullopt;
    }
    updateRouting();
    if (endOfFile_) {
        reportBufferFull();
        return kLongestSleepSeconds;
    }
    const double ahead = double(readMs_) / 1000.0 - s_.clock.now();
    const double readAhead = std::max(s_.bufferMs.load() / 1000.0, kMinReadAheadSeconds);
    if (ahead > readAhead) {
        reportBufferFull();
        return ahead - readAhead + kRefillSeconds;
    }
    if (s_.videoPackets.bytes() + s_.audioPackets.bytes() > kMaxQueuedBytes) {
        reportBufferFull();
        return kPaceSeconds;
    }
    readOneTag();
    return std::nullopt;
}

void Demuxer::idle(double seconds)
{
    // While paused the clock does not move, so the reader stays far enough ahead until a
    // resume or a seek, which wake it.
    const bool paused = s_.clock.paused();
    const double sleep = paused ? kLongestSleepSeconds : std::clamp(seconds, kPaceSeconds, kLongestSleepSeconds);
    std::unique_lock lock(s_.mutex);
    s_.changed.wait_for(lock, std::chrono::duration<double>(sleep), [&] {
        return s_.stopping() || s_.pendingSeek.has_value() || s_.clock.paused() != paused
            || (s_.videoWanted && s_.videoUsable) != routeVideo_ || (s_.audioWanted && s_.audioUsable) != routeAudio_
            || (s_.indexDone && !bufferFullSent_);
    });
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
    s_.events->status(kBufferFull);
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
    timeline_.restart(point ? point->timeMs : 0, point ? point->shiftMs : 0);

    serial_ = request.serial;
    startMs_ = targetMs;
    readMs_ = point ? point->timeMs : 0;
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
    // Decoding the picture starts at the seek point; the sound's decoder wants the sound
    // just before the target too, which lies before that point in the file when the
    // target is on or just after a keyframe. Reading starts early enough for it, and the
    // video tags before the seek point are passed over.
    videoFrom_ = reader_->position();
    const auto primingMs = static_cast<std::uint32_t>(AudioDecoder::kPrimingSeconds * 1000);
    const SeekPoint* priming = index && routeAudio_ ? index->at(targetMs - std::min(targetMs, primingMs)) : nullptr;
    if (priming && priming->position < videoFrom_) {
        reader_->seek(priming->position);
        timeline_.restart(priming->timeMs, priming->shiftMs);
        readMs_ = priming->timeMs;
    }
    publishProgress();
}

void Demuxer::publishProgress()
{
    std::lock_guard lock(s_.mutex);
    s_.read = {serial_, readMs_, endOfFile_};
}

// The presentation time of the picture a seek to the target shows (the last one not after
// it; -1 when not known), read ahead from where decoding starts: tag headers and the first
// bytes of each video tag, up to the first picture decoded after the target (no later one
// can show before it). The tags are placed on a copy of the timeline, as reading them will
// place them, so the time found is the one the decoder sees. The decoder then leaves out
// every picture nothing refers to on its way there.
std::int64_t Demuxer::pictureShownAt(double target)
{
    const std::uint64_t start = reader_->position();
    const std::uint64_t skippedBefore = reader_->skippedBytes();
    TagTimeline timeline = timeline_;
    std::int64_t shown = -1;
    bool known = false;
    for (int i = 0; i < kLookAheadTags && !s_.stopping(); ++i) {
        auto h = reader_->nextHeader();
        if (!h) {
            known = true;  // the file ends
            break;
        }
        if (h->type == FlvTagType::Script)
            continue;
        const auto placed = timeline.place(h->timestampMs, [this] { return reader_->peekMediaTimestamp(); });
        if (!placed.keep || h->type != FlvTagType::Video)
            continue;
        if (double(placed.timeMs) / 1000.0 > target) {
            known = true;  // no later picture can come before the target
            break;
        }
        if (h->encrypted)
            continue;
        const std::size_t n = std::min<std::size_t>(h->dataSize, kVideoPeekBytes);
        const std::uint8_t* bytes = reader_->peekPayload(*h, n);
        if (!bytes)
            continue;
        const FlvPayload info = parseVideoPayload({bytes, n});
        const std::int64_t pts = std::int64_t(placed.timeMs) + info.compositionMs;
        // Compared in seconds, as the decoder compares the pictures it decodes.
        if (info.kind == FlvPayload::Kind::Frame && double(pts) / 1000.0 <= target)
            shown = std::max(shown, pts);
    }
    reader_->seek(start);
    // Damage stepped over here is told when reading reaches it, once.
    skippedSeen_ += reader_->skippedBytes() - skippedBefore;
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

void Demuxer::reachEnd(const FlvError& why)
{
    std::string early;
    if (reader_->shrank())
        early = "the file became shorter while it played: it ends at byte " + std::to_string(reader_->fileSize());
    else if (why.kind != FlvErrorKind::EndOfStream || reader_->truncated())
        early = std::string("reading ended early: ") + why.what;
    else if (reader_->skippedBytes() > skippedSeen_)
        early = "no valid tag in the last " + std::to_string(reader_->skippedBytes() - skippedSeen_) + " bytes";
    if (!early.empty() && !endWarned_ && !s_.stopping()) {
        endWarned_ = true;
        warn(early);
    }
    endOfFile_ = true;
    if (routeVideo_)
        route(s_.videoPackets, marker(MediaPacket::Kind::EndOfStream));
    if (routeAudio_)
        route(s_.audioPackets, marker(MediaPacket::Kind::EndOfStream));
    {
        std::lock_guard lock(s_.mutex);
        // Without an index (the scan failed), the end is the latest time this read saw;
        // so it is when the file became shorter than the index knows.
        if (reader_->shrank() || (s_.indexDone && !s_.index && startMs_ == 0))
            s_.clock.setEnd(double(readMs_) / 1000.0);
    }
    publishProgress();
    s_.notify();
}

bool Demuxer::place(const FlvTagHeader& h, std::uint32_t& timeMs)
{
    const auto placed = timeline_.place(h.timestampMs, [this] { return reader_->peekMediaTimestamp(); });
    if (!placed.keep) {
        warnAt(h.position, "dropped the tag at byte " + std::to_string(h.position) + ": its timestamp "
                               + seconds(h.timestampMs) + " lies far from those around it");
        return false;
    }
    if (placed.crossedJump)
        warnAt(h.position, "the timestamps jump to " + seconds(h.timestampMs) + " at byte " + std::to_string(h.position)
                               + ": played on from " + seconds(placed.timeMs));
    timeMs = placed.timeMs;
    return true;
}

void Demuxer::readOneTag()
{
    auto header = reader_->nextHeader();
    if (!header) {
        reachEnd(header.error());
        return;
    }
    const FlvTagHeader& h = *header;
    noteSkipped(h.position);
    std::uint32_t timeMs = 0;
    if (h.type != FlvTagType::Script) {
        if (!place(h, timeMs))
            return;
        if (timeMs > readMs_) {
            readMs_ = timeMs;
            publishProgress();
        }
    }
    const bool wanted = h.type == FlvTagType::Script ? !metaDataSent_
        : h.type == FlvTagType::Video                ? routeVideo_ && h.position >= videoFrom_
                                                     : routeAudio_;
    if (!wanted || h.encrypted)
        return;
    auto payload = reader_->payload(h);
    if (!payload) {
        reachEnd(payload.error());
        return;
    }
    if (h.type == FlvTagType::Script) {
        auto script = decodeScriptData(*payload);
        if (script && script->name == "onMetaData" && !script->arguments.empty()) {
            if (script->cut)
                warn(std::string("the metadata is cut: ") + script->cut);
            metaDataSent_ = true;
            s_.events->metaData(std::move(script->arguments.front()));
        }
        return;
    }
    MediaPacket packet;
    packet.serial = serial_;
    packet.dtsMs = timeMs;
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
