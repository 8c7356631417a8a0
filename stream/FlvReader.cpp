#include "stream/FlvReader.h"

#include <algorithm>
#include <cstring>

namespace zepo::stream {
namespace {

// Bytes fetched per read: large enough that a header scan over small audio tags costs a
// few system calls per megabyte, small enough to stay in cache.
constexpr std::size_t kWindowBytes = 256 * 1024;
constexpr std::size_t kFileHeaderBytes = 9;
constexpr std::size_t kTagHeaderBytes = 11;
constexpr std::size_t kPreviousTagSizeBytes = 4;
// How often a resynchronisation over damaged bytes looks whether it should give up.
constexpr std::uint64_t kCancelCheckBytes = 64 * 1024;

std::uint32_t be24(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

std::uint32_t be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | be24(p + 1);
}

bool parseTagHeader(const std::uint8_t* p, std::uint64_t pos, FlvTagHeader& out)
{
    const std::uint8_t typeByte = p[0];
    if (typeByte & 0xC0)  // reserved bits are zero in every writer we know
        return false;
    const std::uint8_t type = typeByte & 0x1F;
    if (type != 8 && type != 9 && type != 18)
        return false;
    if (be24(p + 8) != 0)  // stream ID is always 0
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
    const std::uint8_t* h = reader.view(0, kFileHeaderBytes);
    if (!h)
        return reader.ioError_ ? FlvError{FlvErrorKind::Io, "read failed"}
                               : FlvError{FlvErrorKind::Corrupt, "shorter than an FLV header"};
    if (std::memcmp(h, "FLV", 3) != 0)
        return FlvError{FlvErrorKind::Corrupt, "not an FLV file"};
    reader.header_.version = h[3];
    reader.header_.hasAudio = (h[4] & 0x04) != 0;
    reader.header_.hasVideo = (h[4] & 0x01) != 0;
    std::uint32_t offset = be32(h + 5);
    // A data offset that points outside the file or into the header is a writer's slip;
    // the tags follow the 9-byte header in every version there is.
    if (offset < kFileHeaderBytes || offset > reader.fileSize())
        offset = kFileHeaderBytes;
    reader.header_.dataOffset = offset;
    // Tags start after PreviousTagSize0; a few writers leave that out.
    FlvTagHeader probe;
    reader.firstTag_ = offset + kPreviousTagSizeBytes;
    if (!reader.plausibleAt(reader.firstTag_, probe) && reader.plausibleAt(offset, probe))
        reader.firstTag_ = offset;
    reader.position_ = reader.firstTag_;
    return reader;
}

const std::uint8_t* FlvReader::view(std::uint64_t pos, std::size_t n)
{
    if (n > kWindowBytes || pos > fileSize() || fileSize() - pos < n)
        return nullptr;
    if (pos >= windowStart_ && pos + n <= windowStart_ + windowLength_)
        return window_.data() + (pos - windowStart_);
    window_.resize(kWindowBytes);
    const std::int64_t got = source_->readAt(pos, window_);
    if (got < 0) {
        ioError_ = true;
        windowLength_ = 0;
        return nullptr;
    }
    windowStart_ = pos;
    windowLength_ = static_cast<std::size_t>(got);
    return windowLength_ >= n ? window_.data() : nullptr;
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
    if (position > fileSize() || fileSize() - position < kTagHeaderBytes)
        return false;
    std::uint8_t bytes[kTagHeaderBytes];
    if (source_->readAt(position, bytes) != static_cast<std::int64_t>(kTagHeaderBytes))
        return false;
    return parseTagHeader(bytes, position, out)
        && fileSize() - position - kTagHeaderBytes >= out.dataSize;
}

bool FlvReader::previousTagSizeAt(std::uint64_t position, std::uint32_t& out)
{
    if (position > fileSize() || fileSize() - position < kPreviousTagSizeBytes)
        return false;
    std::uint8_t bytes[kPreviousTagSizeBytes];
    if (source_->readAt(position, bytes) != static_cast<std::int64_t>(kPreviousTagSizeBytes))
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
    if (end > fileSize())
        return false;
    if (fileSize() - end <= kPreviousTagSizeBytes)
        return true;
    // The whole tag through one window when it fits: checking its end must not move the
    // window past its payload, which is read (or peeked at) next.
    if (end + kPreviousTagSizeBytes - pos <= kWindowBytes)
        view(pos, end + kPreviousTagSizeBytes - pos);
    const FlvTagHeader found = out;
    bool ok = false;
    if (const std::uint8_t* p = view(end, kPreviousTagSizeBytes))
        ok = be32(p) == kTagHeaderBytes + found.dataSize;
    FlvTagHeader following;
    if (!ok)
        ok = plausibleAt(end + kPreviousTagSizeBytes, following);
    out = found;
    return ok;
}

FlvResult<FlvTagHeader> FlvReader::nextHeader()
{
    const std::uint64_t size = fileSize();
    if (position_ >= size)
        return FlvError{FlvErrorKind::EndOfStream, "end of file"};
    FlvTagHeader h;
    std::uint64_t pos = position_;
    if (!confirmedAt(pos, h)) {
        if (ioError_)
            return FlvError{FlvErrorKind::Io, "read failed"};
        // A header that is sound but runs past the end is a cut-off last tag; anything
        // else is damage, stepped over by walking forward to the next confirmed tag.
        const bool cutShort = size - pos < kTagHeaderBytes
            || (plausibleAt(pos, h) && size - pos - kTagHeaderBytes < h.dataSize);
        std::uint64_t candidate = pos + 1;
        bool found = false;
        for (; candidate + kTagHeaderBytes <= size; ++candidate) {
            if (confirmedAt(candidate, h)) {
                found = true;
                break;
            }
            if (ioError_)
                return FlvError{FlvErrorKind::Io, "read failed"};
            if (cancel_ && (candidate % kCancelCheckBytes) == 0 && cancel_->load(std::memory_order_relaxed))
                return FlvError{FlvErrorKind::Io, "cancelled"};
        }
        if (!found) {
            truncated_ = cutShort;
            if (!cutShort)
                skipped_ += size - pos;
            position_ = size;
            return FlvError{FlvErrorKind::EndOfStream, cutShort ? "truncated last tag" : "no further valid tag"};
        }
        skipped_ += candidate - pos;
        pos = candidate;
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
    // Larger than the window: read straight into the payload.
    const std::int64_t got = source_->readAt(at, data);
    if (got != static_cast<std::int64_t>(header.dataSize))
        return FlvError{FlvErrorKind::Io, "payload read failed"};
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
