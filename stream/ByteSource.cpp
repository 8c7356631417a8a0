#include "stream/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo::stream {

std::int64_t MemorySource::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (offset >= bytes_.size())
        return 0;
    const std::size_t n = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, n);
    return static_cast<std::int64_t>(n);
}

Result<std::unique_ptr<FileSource>, StreamError> FileSource::tryOpen(const std::string& path)
{
    // O_NONBLOCK makes opening a pipe or a device return at once; on a regular file it
    // changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return StreamError::cannotOpen(path, errno);
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = known ? 0 : errno;
        ::close(fd);
        return StreamError::cannotOpen(path, error);
    }
    return std::unique_ptr<FileSource>(new FileSource(fd, static_cast<std::uint64_t>(st.st_size)));
}

std::unique_ptr<FileSource> FileSource::open(const std::string& path)
{
    auto opened = tryOpen(path);
    return opened ? std::move(*opened) : nullptr;
}

FileSource::~FileSource()
{
    ::close(fd_);
}

std::int64_t FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

} // namespace zepo::stream
