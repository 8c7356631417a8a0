#include "stream/FlvReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zepo::stream {
namespace {

// Bytes fetched per read: large enough that a header scan over small audio tags costs a
// few system calls per megabyte, small enough to stay in cache.
constexpr std::size_t kWindowBytes = 256 * 1024;
constexpr std::size_t kFileHeaderBytes = 9;
// Script tags looked past for the next audio or video tag: cue points come alone.
constexpr int kPeekTags = 4;

std::uint32_t be24(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

std::uint32_t be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | be24(p + 1);
}

// The bytes that can start a tag header: audio, video or script, the filter bit set or
// not, the reserved bits clear.
constexpr std::uint8_t kTagTypeBytes[] = {8, 9, 18, 8 | 0x20, 9 | 0x20, 18 | 0x20};

// The bytes of a stretch that can start a tag header, in order. Each kind of type byte
// is looked for with memchr, which reads as fast as memory does, so damage is walked over
// at about the speed it is read.
class TypeByteFinder {
public:
    TypeByteFinder(const std::uint8_t* begin, const std::uint8_t* end) : end_(end)
    {
        for (std::size_t k = 0; k < next_.size(); ++k)
            next_[k] = find(k, begin);
    }
    // The next one, or the end of the stretch.
    const std::uint8_t* take()
    {
        const auto k = static_cast<std::size_t>(std::min_element(next_.begin(), next_.end()) - next_.begin());
        const std::uint8_t* hit = next_[k];
        if (hit != end_)
            next_[k] = find(k, hit + 1);
        return hit;
    }

private:
    const std::uint8_t* find(std::size_t k, const std::uint8_t* from) const
    {
        const void* hit = std::memchr(from, kTagTypeBytes[k], std::size_t(end_ - from));
        return hit ? static_cast<const std::uint8_t*>(hit) : end_;
    }

    const std::uint8_t* end_;
    std::array<const std::uint8_t*, std::size(kTagTypeBytes)> next_{};
};

// The stream ID, bytes 8-10 of a tag header, is always 0.
bool streamIdZero(const std::uint8_t* header)
{
    return (header[8] | header[9] | header[10]) == 0;
}

bool parseTagHeader(const std::uint8_t* p, std::uint64_t pos, FlvTagHeader& out)
{
    const std::uint8_t typeByte = p[0];
    if (typeByte & 0xC0)  // reserved bits are zero in every writer we know
        return false;
    const std::uint8_t type = typeByte & 0x1F;
    if (type != 8 && type != 9 && type != 18)
        return false;
    if (!streamIdZero(p))
        return false;
    out.type = static_cast<FlvTagType>(type);
    out.encrypted = (typeByte & 0x20) != 0;
    out.dataSize = be24(p + 1);
    out.timestampMs = be24(p + 4) | (std::uint32_t(p[7]) << 24);
    out.position = pos;
    return true;
}

} // namespace

FlvResult<FlvReader> FlvReader::open(std::unique_ptr<ByteSource> source)
{
    if (!source)
        return FlvError{FlvErrorKind::Io, "no source"};
    FlvReader reader(std::move(source));
    reader.end_ = reader.source_->size();
    const std::uint8_t* h = reader.view(0, kFileHeaderBytes);
    if (!h)
        return reader.ioError_ ? FlvError{FlvErrorKind::Io, "read failed"}
                               : FlvError{FlvErrorKind::Corrupt, "shorter than an FLV header"};
    if (std::memcmp(h, "FLV", 3) != 0)
        return FlvError{FlvErrorKind::Corrupt, "not an FLV file"};
    // The header's audio and video flags are not read: files do not always tell the
    // truth, and the tags say what the file holds.
    std::uint32_t offset = be32(h + 5);
    // A data offset that points outside the file or into the header is a writer's slip;
    // the tags follow the 9-byte header in every version there is.
    if (offset < kFileHeaderBytes || offset > reader.fileSize())
        offset = kFileHeaderBytes;
    // Tags start after PreviousTagSize0; a few writers leave that out.
    FlvTagHeader probe;
    reader.firstTag_ = offset + kPreviousTagSizeBytes;
    if (!reader.plausibleAt(reader.firstTag_, probe) && reader.plausibleAt(offset, probe))
        reader.firstTag_ = offset;
    reader.position_ = reader.firstTag_;
    return reader;
}

std::int64_t FlvReader::readSource(std::uint64_t pos, std::span<std::uint8_t> out)
{
    const std::int64_t got = source_->readAt(pos, out);
    if (got < 0)
        ioError_ = true;
    else if (std::uint64_t(got) < out.size() && pos + std::uint64_t(got) < end_)
        end_ = pos + std::uint64_t(got);
    return got;
}

const std::uint8_t* FlvReader::view(std::uint64_t pos, std::size_t n)
{
    if (n > kWindowBytes || pos > end_ || end_ - pos < n)
        return nullptr;
    if (pos >= windowStart_ && pos + n <= windowStart_ + windowLength_)
        return window_.data() + (pos - windowStart_);
    window_.resize(kWindowBytes);
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, end_ - pos));
    const std::int64_t got = readSource(pos, {window_.data(), want});
    if (got < 0) {
        windowLength_ = 0;
        return nullptr;
    }
    windowStart_ = pos;
    windowLength_ = static_cast<std::size_t>(got);
    return windowLength_ >= n ? window_.data() : nullptr;
}

std::size_t FlvReader::copyAt(std::uint64_t pos, std::span<std::uint8_t> out)
{
    if (pos > end_)
        return 0;
    out = out.first(static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), end_ - pos)));
    if (pos >= windowStart_ && pos + out.size() <= windowStart_ + windowLength_) {
        std::memcpy(out.data(), window_.data() + (pos - windowStart_), out.size());
        return out.size();
    }
    return static_cast<std::size_t>(std::max<std::int64_t>(readSource(pos, out), 0));
}

bool FlvReader::plausibleAt(std::uint64_t pos, FlvTagHeader& out)
{
    const std::uint8_t* p = view(pos, kTagHeaderBytes);
    return p && parseTagHeader(p, pos, out);
}

const std::uint8_t* FlvReader::peekPayload(const FlvTagHeader& header, std::size_t n)
{
    if (header.dataSize < n)
        return nullptr;
    return view(header.position + kTagHeaderBytes, n);
}

bool FlvReader::tagHeaderAt(std::uint64_t position, FlvTagHeader& out)
{
    std::uint8_t bytes[kTagHeaderBytes];
    return copyAt(position, bytes) == kTagHeaderBytes && parseTagHeader(bytes, position, out)
        && end_ - position - kTagHeaderBytes >= out.dataSize;
}

std::optional<std::uint32_t> FlvReader::peekMediaTimestamp()
{
    std::uint64_t at = position_;
    FlvTagHeader h;
    for (int i = 0; i < kPeekTags && tagHeaderAt(at, h); ++i) {
        if (h.type != FlvTagType::Script)
            return h.timestampMs;
        at += kTagHeaderBytes + h.dataSize + kPreviousTagSizeBytes;
    }
    return std::nullopt;
}

bool FlvReader::previousTagSizeAt(std::uint64_t position, std::uint32_t& out)
{
    std::uint8_t bytes[kPreviousTagSizeBytes];
    if (copyAt(position, bytes) != kPreviousTagSizeBytes)
        return false;
    out = be32(bytes);
    return true;
}

// A candidate found while resynchronising counts only when what follows it agrees: its
// PreviousTagSize, or another tag header, or the end of the file.
bool FlvReader::confirmedAt(std::uint64_t pos, FlvTagHeader& out)
{
    if (!plausibleAt(pos, out))
        return false;
    const std::uint64_t end = pos + kTagHeaderBytes + out.dataSize;
    // The whole tag through one window when it fits: checking its end must not move the
    // window past its payload, which is read (or peeked at) next.
    if (end + kPreviousTagSizeBytes - pos <= kWindowBytes)
        view(pos, end + kPreviousTagSizeBytes - pos);
    if (end > end_)
        return false;
    if (end_ - end <= kPreviousTagSizeBytes)
        return true;
    // What follows the tag, read on its own when it lies beyond the window: a candidate
    // in damage costs a few bytes of reading, not a window.
    std::uint8_t after[kPreviousTagSizeBytes + kTagHeaderBytes];
    const std::size_t n = copyAt(end, after);
    if (n >= kPreviousTagSizeBytes && be32(after) == kTagHeaderBytes + out.dataSize)
        return true;
    FlvTagHeader following;
    return n == sizeof after && parseTagHeader(after + kPreviousTagSizeBytes, end + kPreviousTagSizeBytes, following);
}

// Walks over damage a window at a time; only positions whose bytes could start a tag
// header are checked further.
FlvResult<FlvTagHeader> FlvReader::findTag(std::uint64_t from)
{
    std::uint64_t candidate = from;
    FlvTagHeader h;
    while (candidate < end_ && end_ - candidate >= kTagHeaderBytes) {
        if (cancel_ && cancel_->load(std::memory_order_relaxed))
            return FlvError{FlvErrorKind::Io, "cancelled"};
        // The rest of the window when it holds the candidate's header, else a new window.
        const std::uint64_t windowEnd = std::min(windowStart_ + windowLength_, end_);
        const bool inWindow = candidate >= windowStart_ && candidate < windowEnd
            && windowEnd - candidate >= kTagHeaderBytes;
        const auto span = static_cast<std::size_t>(
            inWindow ? windowEnd - candidate : std::min<std::uint64_t>(kWindowBytes, end_ - candidate));
        const std::uint8_t* p = view(candidate, span);
        if (!p) {
            if (ioError_)
                return FlvError{FlvErrorKind::Io, "read failed"};
            continue;  // the read came back short: the file ends earlier now
        }
        // Candidates whose whole header lies in this window.
        const std::uint8_t* end = p + (span - kTagHeaderBytes + 1);
        TypeByteFinder typeBytes(p, end);
        const std::uint8_t* hit = typeBytes.take();
        while (hit != end && !streamIdZero(hit))
            hit = typeBytes.take();
        candidate += std::uint64_t(hit - p);
        if (hit == end)
            continue;
        if (confirmedAt(candidate, h))
            return h;
        if (ioError_)
            return FlvError{FlvErrorKind::Io, "read failed"};
        ++candidate;
    }
    return FlvError{FlvErrorKind::EndOfStream, "no further valid tag"};
}

FlvResult<FlvTagHeader> FlvReader::nextHeader()
{
    if (position_ >= end_)
        return FlvError{FlvErrorKind::EndOfStream, "end of file"};
    FlvTagHeader h;
    std::uint64_t pos = position_;
    if (!confirmedAt(pos, h)) {
        if (ioError_)
            return FlvError{FlvErrorKind::Io, "read failed"};
        // A header that is sound but runs past the end is a cut-off last tag; anything
        // else is damage, stepped over by walking forward to the next confirmed tag.
        const bool cutShort = end_ - pos < kTagHeaderBytes
            || (plausibleAt(pos, h) && end_ - pos - kTagHeaderBytes < h.dataSize);
        auto found = findTag(pos + 1);
        if (!found) {
            if (found.error().kind != FlvErrorKind::EndOfStream)
                return found.error();
            truncated_ = cutShort;
            if (!cutShort)
                skipped_ += end_ - pos;
            position_ = end_;
            return FlvError{FlvErrorKind::EndOfStream, cutShort ? "truncated last tag" : "no further valid tag"};
        }
        h = *found;
        skipped_ += h.position - pos;
        if (pos == firstTag_)
            firstTag_ = h.position;
        pos = h.position;
    }
    position_ = pos + kTagHeaderBytes + h.dataSize + kPreviousTagSizeBytes;
    return h;
}

FlvResult<std::vector<std::uint8_t>> FlvReader::payload(const FlvTagHeader& header)
{
    std::vector<std::uint8_t> data(header.dataSize);
    const std::uint64_t at = header.position + kTagHeaderBytes;
    if (header.dataSize == 0)
        return data;
    if (const std::uint8_t* p = view(at, header.dataSize)) {
        std::memcpy(data.data(), p, header.dataSize);
        return data;
    }
    if (ioError_)
        return FlvError{FlvErrorKind::Io, "payload read failed"};
    // Larger than the window: read straight into the payload.
    const std::int64_t got = at < end_ ? readSource(at, data) : 0;
    if (got < 0)
        return FlvError{FlvErrorKind::Io, "payload read failed"};
    if (got != static_cast<std::int64_t>(header.dataSize)) {
        truncated_ = true;
        return FlvError{FlvErrorKind::EndOfStream, "the file ends inside the tag"};
    }
    return data;
}

FlvResult<FlvTag> FlvReader::next(bool wantMediaPayload)
{
    auto h = nextHeader();
    if (!h)
        return h.error();
    FlvTag tag;
    tag.header = *h;
    if (wantMediaPayload || h->type == FlvTagType::Script) {
        auto data = payload(*h);
        if (!data)
            return data.error();
        tag.data = std::move(*data);
    }
    return tag;
}

} // namespace zepo::stream
