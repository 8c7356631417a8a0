// Any player driven with its own keys through the X server and measured from outside the
// same way: paused precise seeks timed from the key press to the new picture on screen,
// and the CPU and wake-ups the whole process takes while it plays, or shows nothing new
// (paused, stopped, or idle without a file).
//   bench_keys [--title TEXT] [--pause KEY] [--seeks N --forward KEY --back KEY]
//              [--still SECONDS] [--stop KEY] [--timeout SECONDS] -- COMMAND...
// Keys are X keysym names joined with '+' ("ctrl+Right", "space"), pressed through XTest
// once the window manager has given the player's window the focus. The player plays for a
// while after its window shows; then --pause pauses it, --seeks makes N steps forward and N
// back, each timed until the middle of the window changes, --still measures the CPU and the
// wake-ups over that many seconds (still_cpu_pct, still_wakeups_s: paused, playing when
// nothing was paused, or idle without a file), and --stop stops it and measures again
// (stopped_cpu_pct, stopped_wakeups_s). A wake-up is a context switch of any of the
// process's threads, voluntary or not: each one is the CPU taken up for it.
#include "bench/BenchSupport.h"
#include "bench/XScreen.h"

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zepo;

namespace {

// How long the player plays before it is paused: its first pictures are on screen by then.
constexpr double kPlaySeconds = 2.0;
// After a key that changes the state, before anything is measured.
constexpr double kSettleSeconds = 1.0;
// After a seek's picture appeared, for whatever else the player shows with it.
constexpr double kAfterSeekSeconds = 0.4;
// How long a seek may take before it counts as failed.
constexpr double kSeekLimitSeconds = 5.0;
// Time between two looks at the window while a seek runs.
constexpr auto kPollInterval = std::chrono::milliseconds(1);
// Points sampled on a grid over the middle of the window (per side), and how many of them
// must change, by how much, for a new picture: a paused picture stands still to the bit.
constexpr int kGridSide = 48;
constexpr double kChangedShare = 0.02;
constexpr int kChannelStep = 8;

struct Options {
    std::string title;
    std::string pause;
    std::string stop;
    std::string forward;
    std::string back;
    int seeks = 0;
    double stillSeconds = 0;
    double timeoutSeconds = 20;
    std::vector<char*> command;
};

std::optional<Options> parse(int argc, char** argv)
{
    Options o;
    const auto command = bench::parseCommandLine(argc, argv, [&o](const std::string& name, const char* v) {
        if (name == "--title")
            o.title = v;
        else if (name == "--pause")
            o.pause = v;
        else if (name == "--stop")
            o.stop = v;
        else if (name == "--forward")
            o.forward = v;
        else if (name == "--back")
            o.back = v;
        else if (name == "--seeks")
            o.seeks = std::atoi(v);
        else if (name == "--still")
            o.stillSeconds = std::atof(v);
        else if (name == "--timeout")
            o.timeoutSeconds = std::atof(v);
        else
            return false;
        return true;
    });
    if (!command || (o.seeks > 0 && (o.forward.empty() || o.back.empty())))
        return std::nullopt;
    o.command = *command;
    return o;
}

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Presses a key with its modifiers held, as a user would.
void press(Display* d, const std::string& combination)
{
    std::vector<KeyCode> codes;
    std::stringstream parts(combination);
    for (std::string part; std::getline(parts, part, '+');) {
        const std::string name = part == "ctrl" ? "Control_L" : part == "alt" ? "Alt_L" : part == "shift" ? "Shift_L" : part;
        const KeySym sym = XStringToKeysym(name.c_str());
        if (sym != NoSymbol)
            codes.push_back(XKeysymToKeycode(d, sym));
    }
    for (KeyCode c : codes)
        XTestFakeKeyEvent(d, c, True, CurrentTime);
    for (auto c = codes.rbegin(); c != codes.rend(); ++c)
        XTestFakeKeyEvent(d, *c, False, CurrentTime);
    XFlush(d);
}

bool changed(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& now)
{
    if (before.size() != now.size())
        return true;
    std::size_t differ = 0;
    for (std::size_t i = 0; i < now.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            if (std::abs(int((before[i] >> shift) & 0xff) - int((now[i] >> shift) & 0xff)) > kChannelStep) {
                ++differ;
                break;
            }
        }
    }
    return double(differ) >= kChangedShare * double(now.size());
}

// CPU seconds (user + system) of all the process's threads so far.
double processCpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::atof(field.c_str());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// Context switches of every thread of the process so far.
double contextSwitches(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return 0;
    double switches = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream status(tasks + "/" + entry->d_name + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                switches += std::atof(line.substr(line.find(':') + 1).c_str());
    }
    closedir(dir);
    return switches;
}

struct Stillness {
    double cpuPercent = -1;
    double wakeupsPerSecond = -1;
};

Stillness measureOver(pid_t pid, double seconds)
{
    const double cpu = processCpuSeconds(pid);
    const double switches = contextSwitches(pid);
    sleepFor(seconds);
    return {(processCpuSeconds(pid) - cpu) / seconds * 100, (contextSwitches(pid) - switches) / seconds};
}

// Time from the key to a new picture in the middle of the window (ms); nothing by the limit.
std::optional<double> timedSeek(Display* d, bench::XScreen& screen, Window w, const std::string& key)
{
    const auto before = screen.middle(w, kGridSide);
    if (!before)
        return std::nullopt;
    const auto t = bench::Clock::now();
    press(d, key);
    while (bench::secondsSince(t) < kSeekLimitSeconds) {
        const auto now = screen.middle(w, kGridSide);
        if (now && changed(*before, *now)) {
            const double ms = bench::secondsSince(t) * 1000;
            sleepFor(kAfterSeekSeconds);
            return ms;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s [--title TEXT] [--pause KEY] [--seeks N --forward KEY --back KEY] [--still SECONDS] "
                     "[--stop KEY] [--timeout SECONDS] -- COMMAND...\n",
                     argv[0]);
        return 2;
    }
    Display* display = bench::openDisplay();
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "no X display with XTest\n");
        return 1;
    }
    bench::XScreen screen(display);
    const auto start = bench::Clock::now();
    const pid_t child = bench::launch(options->command);
    if (child < 0)
        return 1;

    std::optional<Window> window;
    while (!window && bench::secondsSince(start) < options->timeoutSeconds) {
        for (Window w : screen.windowsOf(child, options->title))
            window = w;
        std::this_thread::sleep_for(kPollInterval * 10);
    }
    std::vector<double> forward;
    std::vector<double> back;
    int failed = 0;
    Stillness still;
    Stillness stopped;
    if (window) {
        screen.activate(*window);
        sleepFor(kPlaySeconds);
        if (!options->pause.empty()) {
            press(display, options->pause);
            sleepFor(kSettleSeconds);
        }
        for (int i = 0; i < options->seeks; ++i) {
            if (const auto ms = timedSeek(display, screen, *window, options->forward))
                forward.push_back(*ms);
            else
                ++failed;
        }
        for (int i = 0; i < options->seeks; ++i) {
            if (const auto ms = timedSeek(display, screen, *window, options->back))
                back.push_back(*ms);
            else
                ++failed;
        }
        if (options->stillSeconds > 0) {
            sleepFor(kSettleSeconds);
            still = measureOver(child, options->stillSeconds);
        }
        if (!options->stop.empty() && options->stillSeconds > 0) {
            press(display, options->stop);
            sleepFor(kSettleSeconds);
            stopped = measureOver(child, options->stillSeconds);
        }
        screen.close(*window);
    }
    int status = 0;
    bool exited = false;
    const auto closing = bench::Clock::now();
    while (!exited && bench::secondsSince(closing) < options->timeoutSeconds) {
        exited = waitpid(child, &status, WNOHANG) == child;
        std::this_thread::sleep_for(kPollInterval * 20);
    }
    if (!exited) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    std::printf("%s still_cpu_pct=%.2f still_wakeups_s=%.0f stopped_cpu_pct=%.2f stopped_wakeups_s=%.0f\n",
                bench::seekFigures(forward, back, failed).c_str(), still.cpuPercent, still.wakeupsPerSecond,
                stopped.cpuPercent, stopped.wakeupsPerSecond);
    XCloseDisplay(display);
    return window && failed == 0 ? 0 : 1;
}
