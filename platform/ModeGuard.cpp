#include "platform/ModeGuard.h"

#include "platform/ExecutablePath.h"
#include "platform/PathNames.h"
#include "platform/Log.h"

#include <cerrno>
#include <cstring>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zepo {

namespace {
// What the guard is told when no changed mode is in force.
const char kNothingToRestore[] = "keep\n";
} // namespace

std::unique_ptr<ModeGuard> ModeGuard::start(const std::string& displayName)
{
    const auto self = executablePath();
    const std::string program = folderOf(self.value_or(std::string())) + kProgram;
    const auto warn = [&](int error) {
        qCWarning(lcPlatform).noquote() << QString::fromLocal8Bit(program) << ": cannot be started ("
                                        << std::strerror(error)
                                        << "); a changed display mode is put back only when zepo ends by itself";
    };
    // Close-on-exec on our end: a program we start later must not keep the connection
    // open after we are gone.
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        warn(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDIN_FILENO);
    // A session of its own: the terminal's hang-up and Ctrl+C reach the player, not
    // the guard, which must outlive it. No signal blocked, as a fresh program expects.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    std::string display = displayName;
    char* arguments[] = {const_cast<char*>(program.c_str()), display.data(), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &files, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        warn(spawned);
        return nullptr;
    }
    return std::unique_ptr<ModeGuard>(new ModeGuard(ends[0], pid));
}

ModeGuard::~ModeGuard()
{
    ::close(connection_);
    // A guard that has ended already is collected; a live one ends on its own once it
    // sees the connection closed, and the system collects it after us.
    ::waitpid(pid_, nullptr, WNOHANG);
}

bool ModeGuard::restoreOnEnd(const std::string& line)
{
    return send(line);
}

bool ModeGuard::nothingToRestore()
{
    return send(kNothingToRestore);
}

bool ModeGuard::send(const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        // No SIGPIPE when the guard is gone: that is an answer, not a reason to end.
        const ssize_t n = ::send(connection_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            qCWarning(lcPlatform).noquote() << kProgram << ": ended early; a changed display mode is put back "
                                            << "only when zepo ends by itself";
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace zepo
