#pragma once

#include "platform/FileError.h"

#include <cstddef>
#include <string>

namespace zepo {

// A regular file opened for reading, closed when this object goes. Folders, pipes and
// devices are refused: reading a pipe could block the window for ever, a device might
// never end.
class RegularFile {
public:
    static FileResult<RegularFile> open(const std::string& path);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&&) = delete;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Bytes read at a time when a file is read through: a few system calls for a
    // settings or playlist file, little memory for a large one.
    static constexpr std::size_t kReadChunk = 64 * 1024;

    // Up to `count` next bytes (fewer at the end, empty at the end).
    FileResult<std::string> read(std::size_t count);

private:
    RegularFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// A whole file of at most `maxBytes`; a longer one is refused unread (TooLarge).
FileResult<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

} // namespace zepo
