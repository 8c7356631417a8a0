#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zepo {

class CPlayerDlg;
class InstanceChannel;

// The application object: lets one player run per user and display, hands the
// command-line files of a second start over to it, and runs the player window for the
// life of the process.
class CPlayerApp {
public:
    // arguments: the command line after the program name, in order. lockName: the name
    // of the single-instance lock.
    explicit CPlayerApp(std::vector<std::string> arguments, std::string lockName = defaultLockName());
    // Releases the single-instance lock.
    ~CPlayerApp();

    // True when this process is to run the player. False when another player already
    // runs: the arguments have then been handed to it and it has finished handling them
    // (or has gone away); the process should end with status 0 without any window.
    bool InitInstance();

    // Runs the player window modally until it closes, with hand-overs from later starts
    // going to its receiver; returns the process's exit status.
    int Run(CPlayerDlg& player);

    // The lock of this user on this display, named from "MultiplexStartingPreventionTest".
    static std::string defaultLockName();

private:
    std::vector<std::string> arguments_;
    std::string lockName_;
    // Held from InitInstance to destruction; null when the lock could not be had for a
    // reason other than a running player (the player then runs without it).
    std::unique_ptr<InstanceChannel> channel_;
};

} // namespace zepo
