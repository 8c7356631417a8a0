#include "platform/PrivateFolder.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {

namespace {
// The access bits of the group and of others.
constexpr mode_t kSharedAccess = S_IRWXG | S_IRWXO;
// A folder made here: the user alone may list, enter and change it.
constexpr mode_t kOwnerOnly = S_IRWXU;

std::string because(const std::string& folder, const char* what)
{
    return folder + ": " + what;
}
} // namespace

std::optional<std::string> privateFolderProblem(const std::string& folder)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return because(folder, std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return because(folder, "is a link, which anyone who owns its target could change");
    if (!S_ISDIR(info.st_mode))
        return because(folder, "is not a folder");
    if (info.st_uid != ::getuid())
        return because(folder, "belongs to another user");
    if ((info.st_mode & kSharedAccess) != 0)
        return because(folder, "may be entered by other users");
    return std::nullopt;
}

std::variant<std::string, PrivateFolderProblem> privateRuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        const auto problem = privateFolderProblem(runtime);
        if (!problem)
            return std::string(runtime);
        qCWarning(lcPlatform).noquote() << "XDG_RUNTIME_DIR" << QString::fromLocal8Bit(*problem)
                                        << "- a folder of zepo's own is used instead";
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::string base = temporary && temporary[0] == '/' ? temporary : "/tmp";
    const std::string folder = base + "/zepo-" + std::to_string(::getuid());
    // An existing folder is checked, never trusted: another user may have made it first.
    if (::mkdir(folder.c_str(), kOwnerOnly) != 0 && errno != EEXIST)
        return PrivateFolderProblem{because(folder, std::strerror(errno))};
    if (auto problem = privateFolderProblem(folder))
        return PrivateFolderProblem{std::move(*problem)};
    return folder;
}

} // namespace zepo
