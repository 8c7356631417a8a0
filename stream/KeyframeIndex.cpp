#include "stream/KeyframeIndex.h"

#include "stream/FlvCodecs.h"
#include "stream/TagTimeline.h"

#include <algorithm>
#include <cmath>

namespace zepo::stream {
namespace {

// Without video, one seek point per second of audio is plenty: decoding from there to the
// target costs a fraction of a second of audio.
constexpr std::uint32_t kAudioSeekSpacingMs = 1000;
// Index entries are checked against the file at this many evenly spread places.
constexpr std::size_t kMetadataSamples = 64;
// Writers store times as seconds in a double; they round to the millisecond.
constexpr double kTimeToleranceMs = 2.0;
// How many tags at the end of the file are read back for the end of the timeline: audio
// and video are interleaved, so the last tag is not always the latest.
constexpr int kTailTags = 16;

// A keyframe's NAL units come first in its payload: this much of it tells.
constexpr std::size_t kKeyframePeekBytes = 4096;

bool isVideoKeyframe(FlvReader& reader, const FlvTagHeader& h)
{
    const std::size_t n = std::min<std::size_t>(h.dataSize, kKeyframePeekBytes);
    const std::uint8_t* b = reader.peekPayload(h, n);
    if (!b)
        return false;
    const FlvPayload p = parseVideoPayload({b, n});
    return p.kind == FlvPayload::Kind::Frame && p.keyframe;
}

// The end of the timeline from the last tags, following PreviousTagSize backwards.
std::optional<std::uint32_t> lastTimestampFromTail(FlvReader& reader)
{
    std::uint64_t end = reader.fileSize();
    std::optional<std::uint32_t> last;
    for (int i = 0; i < kTailTags && end >= reader.firstTagPosition() + kPreviousTagSizeBytes; ++i) {
        std::uint32_t size = 0;
        if (!reader.previousTagSizeAt(end - kPreviousTagSizeBytes, size) || size < kTagHeaderBytes
            || size > end - kPreviousTagSizeBytes - reader.firstTagPosition())
            return last;
        const std::uint64_t start = end - kPreviousTagSizeBytes - size;
        FlvTagHeader h;
        if (!reader.tagHeaderAt(start, h) || start + kTagHeaderBytes + h.dataSize + kPreviousTagSizeBytes != end)
            return last;
        if (h.type != FlvTagType::Script)
            last = std::max(last.value_or(0), h.timestampMs);
        end = start;
    }
    return last;
}

const AmfValue* numberArray(const AmfValue& object, const char* name)
{
    const AmfValue* v = object.get(name);
    if (!v || v->type != AmfValue::Type::StrictArray)
        return nullptr;
    for (const auto& e : v->elements)
        if (!e.isNumber() || !std::isfinite(e.number) || e.number < 0)
            return nullptr;
    return v;
}

} // namespace

FlvResult<KeyframeIndex> KeyframeIndex::scan(FlvReader& reader, const std::atomic<bool>* cancel)
{
    KeyframeIndex index;
    reader.seek(reader.firstTagPosition());
    TagTimeline timeline;
    std::optional<SeekPoint> firstVideo;
    std::vector<SeekPoint> audioPoints;
    bool sawVideo = false;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return FlvError{FlvErrorKind::Io, "cancelled"};
        auto h = reader.nextHeader();
        if (!h) {
            if (h.error().kind != FlvErrorKind::EndOfStream)
                return h.error();
            break;
        }
        if (h->type == FlvTagType::Script)
            continue;
        const auto placed = timeline.place(h->timestampMs, [&reader] { return reader.peekMediaTimestamp(); });
        if (!placed.keep)
            continue;
        index.lastTimestampMs_ = std::max(index.lastTimestampMs_, placed.timeMs);
        const SeekPoint point{placed.timeMs, h->position, timeline.shiftMs()};
        if (h->type == FlvTagType::Video && h->dataSize > 0) {
            sawVideo = true;
            if (!firstVideo)
                firstVideo = point;
            if (isVideoKeyframe(reader, *h)
                && (index.points_.empty() || index.points_.back().timeMs <= point.timeMs))
                index.points_.push_back(point);
        } else if (h->type == FlvTagType::Audio && !sawVideo) {
            if (audioPoints.empty() || point.timeMs >= audioPoints.back().timeMs + kAudioSeekSpacingMs)
                audioPoints.push_back(point);
        }
    }
    if (!sawVideo)
        index.points_ = std::move(audioPoints);
    else if (index.points_.empty() && firstVideo)
        index.points_.push_back(*firstVideo);  // no tag flagged as key: start at the top
    return index;
}

std::optional<KeyframeIndex> KeyframeIndex::fromMetadata(const AmfValue& metadata, FlvReader& reader)
{
    const AmfValue* keyframes = metadata.get("keyframes");
    if (!keyframes || (keyframes->type != AmfValue::Type::Object && keyframes->type != AmfValue::Type::EcmaArray))
        return std::nullopt;
    const AmfValue* positions = numberArray(*keyframes, "filepositions");
    const AmfValue* times = numberArray(*keyframes, "times");
    if (!positions || !times || positions->elements.empty()
        || positions->elements.size() != times->elements.size())
        return std::nullopt;
    KeyframeIndex index;
    const auto count = positions->elements.size();
    index.points_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double pos = positions->elements[i].number;
        const double ms = times->elements[i].number * 1000.0;
        if (pos >= double(reader.fileSize()) || ms > double(UINT32_MAX))
            return std::nullopt;
        const SeekPoint p{static_cast<std::uint32_t>(std::llround(ms)), static_cast<std::uint64_t>(pos)};
        const std::uint32_t before = index.points_.empty() ? 0 : index.points_.back().timeMs;
        if ((!index.points_.empty() && (p.position <= index.points_.back().position || p.timeMs < before))
            || p.timeMs - before > TagTimeline::kMaxStepMs)
            return std::nullopt;
        index.points_.push_back(p);
    }
    for (std::size_t k = 0; k < kMetadataSamples; ++k) {
        const std::size_t i = count == 1 ? 0 : k * (count - 1) / (kMetadataSamples - 1);
        if (k > 0 && i == (k - 1) * (count - 1) / (kMetadataSamples - 1))
            continue;
        const SeekPoint& p = index.points_[i];
        reader.seek(p.position);
        auto h = reader.nextHeader();
        if (!h || h->position != p.position || h->type != FlvTagType::Video || !isVideoKeyframe(reader, *h)
            || std::abs(double(h->timestampMs) - times->elements[i].number * 1000.0) > kTimeToleranceMs)
            return std::nullopt;
    }
    const auto last = lastTimestampFromTail(reader);
    if (!last || *last > std::int64_t(index.points_.back().timeMs) + TagTimeline::kMaxStepMs)
        return std::nullopt;
    index.lastTimestampMs_ = std::max(*last, index.points_.back().timeMs);
    return index;
}

const SeekPoint* KeyframeIndex::at(std::uint32_t timeMs) const
{
    if (points_.empty())
        return nullptr;
    auto it = std::upper_bound(points_.begin(), points_.end(), timeMs,
                               [](std::uint32_t t, const SeekPoint& p) { return t < p.timeMs; });
    return it == points_.begin() ? &points_.front() : &*(it - 1);
}

} // namespace zepo::stream
