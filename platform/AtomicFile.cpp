#include "platform/AtomicFile.h"

#include "platform/Log.h"
#include "platform/PathNames.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {

namespace {
// Temporary files are named ".zepo-<process number>-<six letters or digits>": short,
// so that a target whose name is near the length limit still leaves room; with the
// process number, so that a later start knows which ones nobody is writing any more.
const std::string kTemporaryPrefix = ".zepo-";
constexpr std::size_t kRandomLetters = 6;
// Attempts at a free temporary name before giving up; a clash is already rare.
constexpr int kNameAttempts = 100;
// Links followed before the chain counts as a loop, as many as the system follows.
constexpr int kMaxLinks = 40;

std::string randomLetters()
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string letters;
    for (std::size_t i = 0; i < kRandomLetters; ++i)
        letters += kAlphabet[pick(source)];
    return letters;
}

// The file a path finally names: the links of its last part followed (a relative link
// counts from the link's own folder). A link to nothing names the file it would create.
FileResult<std::string> followLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return FileError{FileError::Category::NotReplaced, path, n < 0 ? errno : ENAMETOOLONG};
        target.resize(static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : folderOf(current) + target;
    }
    return FileError{FileError::Category::NotReplaced, path, ELOOP};
}

bool writeAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new temporary file in `folder` ("" for the working folder) with `mode`
// (under the umask); its name goes to `name`. -1 with errno on failure.
int createTemporary(const std::string& folder, mode_t mode, std::string& name)
{
    const std::string stem = folder + kTemporaryPrefix + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = stem + randomLetters();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Flushes a folder's entries to disk. A file system that cannot flush folders says so
// with EINVAL; that costs nothing but the guarantee it never gave.
void flushFolder(const std::string& folder, const std::string& file)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || (::fsync(fd) != 0 && errno != EINVAL))
        qCWarning(lcPlatform).noquote() << QString::fromLocal8Bit(file)
                                        << ": saved, but its folder could not be flushed to disk";
    if (fd >= 0)
        ::close(fd);
}

// The process number in a temporary file's name, or 0 when the name is not one of ours.
pid_t writerOf(const std::string& name)
{
    if (name.rfind(kTemporaryPrefix, 0) != 0)
        return 0;
    const auto dash = name.find('-', kTemporaryPrefix.size());
    if (dash == std::string::npos || dash == kTemporaryPrefix.size() || name.size() - dash - 1 != kRandomLetters)
        return 0;
    pid_t pid = 0;
    for (std::size_t i = kTemporaryPrefix.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > INT_MAX / 10)
            return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}
} // namespace

FileResult<void> replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const auto followed = followLinks(path);
    if (!followed)
        return followed.error();
    const std::string& target = *followed;
    const std::string folder = folderOf(target);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return FileError{FileError::Category::NotWritten, path, errno};
    if (exists && !S_ISREG(old.st_mode))
        return FileError{FileError::Category::NotRegularFile, path};
    if (exists && (old.st_mode & 0222) == 0)
        return FileError{FileError::Category::ReadOnly, path, EACCES};
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return FileError{FileError::Category::ReadOnly, path, errno};

    std::string temporary;
    const int fd = createTemporary(folder, exists ? 0600 : 0666, temporary);
    if (fd < 0)
        return FileError{FileError::Category::NotWritten, path, errno};
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (error == 0 && exists) {
        // The owner goes first, since changing it clears the set-id bits that chmod then
        // sets. Only root may give a file to someone else; for anyone else the file stays
        // theirs, as a new one would be.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const bool ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            error = errno;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return FileError{FileError::Category::NotWritten, path, error};
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return FileError{FileError::Category::NotReplaced, path, renameError};
    }
    flushFolder(folder, path);
    return {};
}

void removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t writer = writerOf(entry->d_name);
        if (writer == 0)
            continue;
        const bool ended = writer == self || (::kill(writer, 0) != 0 && errno == ESRCH);
        struct stat info {};
        if (ended && ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace zepo
