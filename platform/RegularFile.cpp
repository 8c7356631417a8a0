#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {

FileResult<RegularFile> RegularFile::open(const std::string& path)
{
    // Non-blocking, so that opening a pipe without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return FileError{errno == ENOENT ? FileError::Category::Missing : FileError::Category::Unreadable, path, errno};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileError{FileError::Category::NotRegularFile, path};
    }
    return RegularFile(fd, path);
}

RegularFile::RegularFile(RegularFile&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileResult<std::string> RegularFile::read(std::size_t count)
{
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, bytes.data() + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileError{FileError::Category::Unreadable, path_, errno};
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

FileResult<std::string> readWholeFile(const std::string& path, std::size_t maxBytes)
{
    auto file = RegularFile::open(path);
    if (!file)
        return file.error();
    std::string content;
    for (;;) {
        auto chunk = file->read(RegularFile::kReadChunk);
        if (!chunk)
            return chunk.error();
        if (chunk->empty())
            return content;
        content += *chunk;
        if (content.size() > maxBytes)
            return FileError{FileError::Category::TooLarge, path};
    }
}

} // namespace zepo
