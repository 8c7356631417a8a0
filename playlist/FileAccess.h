#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zepo {

// A regular file opened for reading, closed when this object goes. Folders, pipes and
// devices are refused: reading a pipe could block the window for ever, a device might
// never end.
class RegularFile {
public:
    static std::optional<RegularFile> open(const std::string& path);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&&) = delete;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Up to `count` next bytes (fewer at the end, empty at the end); nothing on a read
    // error.
    std::optional<std::string> read(std::size_t count);

private:
    explicit RegularFile(int fd) : fd_(fd) {}
    int fd_;
};

// Replaces a file's content whole: a temporary file beside it is written, flushed to
// disk and renamed over the target. False when opening, writing, closing or renaming
// failed; the target is then exactly as it was before.
bool replaceFileAtomically(const std::string& path, const std::string& bytes);

// The path with links and "." and ".." resolved; nothing when it does not exist.
std::optional<std::string> canonicalPath(const std::string& path);

} // namespace zepo
