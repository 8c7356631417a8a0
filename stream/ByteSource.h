#pragma once

#include "stream/StreamError.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zepo::stream {

// Random access to the bytes of one FLV file, from disk or from memory, so the reader can
// be fed a byte span in tests and fuzzing exactly as it reads a file in playback.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to out.size() bytes from offset; returns how many were copied (fewer at the
    // end), or -1 on an I/O error.
    virtual std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    virtual std::uint64_t size() const = 0;
};

// A byte span owned elsewhere; it must outlive the source.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::uint64_t size() const override { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

// A file opened read-only; reads with pread so several readers may share nothing but
// the path.
class FileSource : public ByteSource {
public:
    // Opening never waits: a pipe without a writer, a device or a folder is refused at
    // once (a list entry replaced by a named pipe must not hold its reader for ever).
    static Result<std::unique_ptr<FileSource>, StreamError> tryOpen(const std::string& path);
    // Null when the file cannot be opened or is not a regular file.
    static std::unique_ptr<FileSource> open(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::uint64_t size() const override { return size_; }

private:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    std::uint64_t size_;
};

} // namespace zepo::stream
