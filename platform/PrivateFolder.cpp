#include "platform/PrivateFolder.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {

namespace {
// The access bits of the group and of others.
constexpr mode_t kSharedAccess = S_IRWXG | S_IRWXO;
// A folder made here: the user alone may list, enter and change it.
constexpr mode_t kOwnerOnly = S_IRWXU;
} // namespace

FileResult<void> checkPrivateFolder(const std::string& folder)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return FileError{errno == ENOENT ? FileError::Category::Missing : FileError::Category::Unreadable, folder, errno};
    if (S_ISLNK(info.st_mode))
        return FileError{FileError::Category::Link, folder};
    if (!S_ISDIR(info.st_mode))
        return FileError{FileError::Category::NotFolder, folder};
    if (info.st_uid != ::getuid())
        return FileError{FileError::Category::OtherOwner, folder};
    if ((info.st_mode & kSharedAccess) != 0)
        return FileError{FileError::Category::SharedWithOthers, folder};
    return {};
}

FileResult<std::string> privateRuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        const auto checked = checkPrivateFolder(runtime);
        if (checked)
            return std::string(runtime);
        qCWarning(lcPlatform).noquote() << "XDG_RUNTIME_DIR" << QString::fromLocal8Bit(checked.error().describe())
                                        << "- a folder of zepo's own is used instead";
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::string base = temporary && temporary[0] == '/' ? temporary : "/tmp";
    const std::string folder = base + "/zepo-" + std::to_string(::getuid());
    // An existing folder is checked, never trusted: another user may have made it first.
    if (::mkdir(folder.c_str(), kOwnerOnly) != 0 && errno != EEXIST)
        return FileError{FileError::Category::NotMade, folder, errno};
    if (auto checked = checkPrivateFolder(folder); !checked)
        return checked.error();
    return folder;
}

} // namespace zepo
