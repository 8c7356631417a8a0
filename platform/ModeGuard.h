#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

namespace zepo {

// The program installed beside ours that puts the start-up display mode back when this
// process ends without doing so itself: killed (SIGKILL), crashed, or ended by a signal
// while the UI thread was busy. While a changed mode is in force it holds the
// configuration to restore; it acts when its connection to us closes, which the system
// does however this process ends. UI thread only.
class ModeGuard {
public:
    // The guard's file name, beside the executable.
    static constexpr char kProgram[] = "zepo-mode-guard";

    // Starts the guard for the display of that name; nothing, with a warning, when it
    // cannot be started.
    static std::unique_ptr<ModeGuard> start(const std::string& displayName);
    // Closes the connection; the guard then ends, restoring whatever it still holds.
    ~ModeGuard();
    ModeGuard(const ModeGuard&) = delete;
    ModeGuard& operator=(const ModeGuard&) = delete;

    // Tells the guard what to restore if we end now (a restoreLine), or that nothing
    // needs restoring. False when the guard is gone.
    bool restoreOnEnd(const std::string& line);
    bool nothingToRestore();

private:
    ModeGuard(int connection, pid_t pid) : connection_(connection), pid_(pid) {}
    bool send(const std::string& text);

    int connection_;
    pid_t pid_;
};

} // namespace zepo
