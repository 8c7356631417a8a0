#pragma once

#include "platform/PrivateFolder.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace zepo {

class CPlayerDlg;
class InstanceChannel;
class TimerService;

// The application object: lets one player run per user and display, hands the
// command-line files of a second start over to it, and runs the player window for the
// life of the process.
class CPlayerApp {
public:
    // arguments: the command line after the program name, in order. timers: the clock of
    // the single-instance channel. lockPath: the path of the single-instance channel, or
    // why there is none (the player then runs alone).
    using LockPath = FileResult<std::string>;
    CPlayerApp(std::vector<std::string> arguments, TimerService& timers, LockPath lockPath = defaultLockPath());
    // Releases the single-instance lock.
    ~CPlayerApp();

    // True when this process is to run the player. False when another player already
    // runs: the arguments have then been handed to it and it has finished handling them
    // (or has gone away); the process should end with status 0 without any window. When
    // the channel cannot be had (no private folder, a running player that takes no
    // connection) the player runs alone, and one warning line says so.
    bool InitInstance();

    // Runs the player window modally until it closes, with hand-overs from later starts
    // going to its receiver; returns the process's exit status.
    int Run(CPlayerDlg& player);

    // The lock of this user on this display, named from "MultiplexStartingPreventionTest".
    static LockPath defaultLockPath();

    // A running player that holds the lock but serves no socket is starting or ending: a
    // start tries again this many times, this long apart, before it runs alone. Together
    // far longer than a player takes from its lock to its socket.
    static constexpr int kHolderAttempts = 50;
    static constexpr int kHolderRetryMs = 100;

private:
    // Warns that the player runs without the channel, and why.
    static void runAlone(const std::string& why);

    std::vector<std::string> arguments_;
    TimerService& timers_;
    LockPath lockPath_;
    // Held from InitInstance to destruction; null when the lock could not be had for a
    // reason other than a running player (the player then runs without it).
    std::unique_ptr<InstanceChannel> channel_;
};

} // namespace zepo
