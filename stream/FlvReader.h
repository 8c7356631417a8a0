#pragma once

#include "stream/ByteSource.h"
#include "stream/FlvError.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zepo::stream {

enum class FlvTagType : std::uint8_t { Audio = 8, Video = 9, Script = 18 };

// The fixed parts around a tag's payload: its header before it, and after it the size of
// the whole tag again (the "PreviousTagSize" of the tag that follows).
constexpr std::uint32_t kTagHeaderBytes = 11;
constexpr std::uint32_t kPreviousTagSizeBytes = 4;

struct FlvTagHeader {
    FlvTagType type = FlvTagType::Script;
    bool encrypted = false;          // filter bit: the payload is not ours to decode
    std::uint32_t timestampMs = 0;   // 24 bits plus the extension byte as bits 24-31
    std::uint32_t dataSize = 0;
    std::uint64_t position = 0;      // file offset of the tag's first header byte
};

struct FlvTag {
    FlvTagHeader header;
    std::vector<std::uint8_t> data;  // empty when the payload was not asked for
};

// Reads an FLV file tag by tag. Sizes in the file are checked against the file before
// they are used. A tag header that makes no sense makes the reader look forward for the
// next valid tag (confirmed by the PreviousTagSize or the tag after it); a last tag cut
// short ends the stream. A wrong PreviousTagSize alone is tolerated: some writers get it
// wrong on every tag. A read that gets fewer bytes than the file had when it was opened
// means the file has been cut meanwhile: it ends there.
class FlvReader {
public:
    static FlvResult<FlvReader> open(std::unique_ptr<ByteSource> source);

    FlvReader(FlvReader&&) noexcept = default;
    FlvReader& operator=(FlvReader&&) noexcept = default;

    // The size of the file as far as the reader knows: smaller than the source's once a
    // read came back short.
    std::uint64_t fileSize() const { return end_; }
    bool shrank() const { return end_ < source_->size(); }

    // The next tag's header; the payload is not read. Follow with payload() or call
    // nextHeader() again to step over it.
    FlvResult<FlvTagHeader> nextHeader();
    // The payload of the tag nextHeader() just returned.
    FlvResult<std::vector<std::uint8_t>> payload(const FlvTagHeader& header);
    // Header and payload in one; audio and video payloads only when wanted (script
    // payloads are always read, they carry the metadata).
    FlvResult<FlvTag> next(bool wantMediaPayload = true);

    // Continues reading at a tag header (a keyframe index entry, or the first tag).
    void seek(std::uint64_t position) { position_ = position; }
    // Where the first tag starts; once damage in front of it has been stepped over, where
    // the first valid tag starts, so reading from the top again does not search again.
    std::uint64_t firstTagPosition() const { return firstTag_; }
    std::uint64_t position() const { return position_; }

    // A flag that, once true, makes a long resynchronisation give up (Io "cancelled").
    void setCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

    std::uint64_t skippedBytes() const { return skipped_; }   // stepped over by resyncs
    bool truncated() const { return truncated_; }            // the last tag was cut short

    // The first n payload bytes of a tag through the read window, without copying; null
    // when the tag is shorter. Valid until the next read.
    const std::uint8_t* peekPayload(const FlvTagHeader& header, std::size_t n);

    // The timestamp of the next audio or video tag, looked at without reading on (script
    // tags in between are passed); nothing when the tags there are not whole and sound.
    std::optional<std::uint32_t> peekMediaTimestamp();

    // Whether a well-formed tag, whole within the file, starts at that position. Reads only
    // the header, so checking scattered positions costs no large reads.
    bool tagHeaderAt(std::uint64_t position, FlvTagHeader& out);
    // The PreviousTagSize field at that position, if the file holds it.
    bool previousTagSizeAt(std::uint64_t position, std::uint32_t& out);

private:
    explicit FlvReader(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

    // Reads from the source; a short read moves the end of the file to where it stopped.
    std::int64_t readSource(std::uint64_t pos, std::span<std::uint8_t> out);
    // Pointer to n bytes at pos through the read window, or null past the end / on error.
    const std::uint8_t* view(std::uint64_t pos, std::size_t n);
    // Copies the bytes at pos from the window when it holds them, otherwise with a read
    // of just those bytes (the window stays where it is); how many were copied.
    std::size_t copyAt(std::uint64_t pos, std::span<std::uint8_t> out);
    bool plausibleAt(std::uint64_t pos, FlvTagHeader& out);
    bool confirmedAt(std::uint64_t pos, FlvTagHeader& out);
    // The first confirmed tag at or after `from`; EndOfStream when there is none.
    FlvResult<FlvTagHeader> findTag(std::uint64_t from);

    std::unique_ptr<ByteSource> source_;
    std::uint64_t end_ = 0;        // the file's size, lowered by a short read
    std::uint64_t firstTag_ = 0;
    std::uint64_t position_ = 0;   // where the next tag header is expected
    std::uint64_t skipped_ = 0;
    bool truncated_ = false;
    bool ioError_ = false;
    const std::atomic<bool>* cancel_ = nullptr;

    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

} // namespace zepo::stream
