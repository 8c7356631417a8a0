// Whole-process figures of any player, taken from outside through the X server so that
// ZEPO, mpv and ffplay are measured the same way: the time from exec to the first video
// frame on screen, then the CPU time and peak memory of the whole process.
//   bench_window [--size WxH] [--title TEXT] [--hold SECONDS] [--timeout SECONDS] -- COMMAND...
// The clips made by run-bench.sh open on a picture that is magenta all over (the flash of
// frame 0), which no player paints of its own accord: the first frame is on screen once
// most of the middle of the player's window is magenta. The window is found by the
// process id the toolkit writes on it (_NET_WM_PID) and, when given, a text in its title.
// --size resizes the window (client area) as soon as it appears and moves it to the top
// left corner; --hold closes it (as the window manager's close button does) that many
// seconds after the first frame, otherwise the program is left to end by itself; without
// a first frame within the timeout it is terminated.
#include "bench/BenchSupport.h"
#include "bench/XScreen.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zepo;

namespace {

// Time between two looks at the screen: fine enough for first-frame times of a few tens
// of milliseconds, coarse enough that the watcher takes little of the machine meanwhile.
constexpr auto kPollInterval = std::chrono::milliseconds(2);
// Time between two looks at a running program once its first frame is known.
constexpr auto kWaitInterval = std::chrono::milliseconds(20);
// Points sampled on a grid over the middle half of the window (per side).
constexpr int kGridSide = 16;
// Share of the sampled points that must be magenta: the flash frame covers the whole
// picture but a centre box and the player's own marks may sit on it.
constexpr double kFlashShare = 0.75;
// How far a channel may stray from full or none and still count as the flash's magenta
// (lossy coding and colour conversion move it a little).
constexpr int kChannelSlack = 70;

struct Options {
    std::optional<std::pair<int, int>> size;
    std::string title;
    double holdSeconds = -1;
    double timeoutSeconds = 20;
    std::vector<char*> command;
};

std::optional<Options> parse(int argc, char** argv)
{
    Options o;
    const auto command = bench::parseCommandLine(argc, argv, [&o](const std::string& name, const char* v) {
        if (name == "--size") {
            int w = 0, h = 0;
            if (std::sscanf(v, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0)
                return false;
            o.size = {w, h};
        } else if (name == "--title") {
            o.title = v;
        } else if (name == "--hold") {
            o.holdSeconds = std::atof(v);
        } else if (name == "--timeout") {
            o.timeoutSeconds = std::atof(v);
        } else {
            return false;
        }
        return true;
    });
    if (!command)
        return std::nullopt;
    o.command = *command;
    return o;
}

// Whether most of the middle of the window shows the flash.
bool showsFlash(bench::XScreen& screen, Window w)
{
    const auto samples = screen.middle(w, kGridSide);
    if (!samples)
        return false;
    int flash = 0;
    for (const std::uint32_t c : *samples) {
        const int r = int(c >> 16), g = int((c >> 8) & 0xff), b = int(c & 0xff);
        if (r > 255 - kChannelSlack && g < kChannelSlack && b > 255 - kChannelSlack)
            ++flash;
    }
    return flash >= kFlashShare * kGridSide * kGridSide;
}

} // namespace

int main(int argc, char** argv)
{
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: %s [--size WxH] [--title TEXT] [--hold SECONDS] [--timeout SECONDS] -- COMMAND...\n",
                     argv[0]);
        return 2;
    }
    Display* display = bench::openDisplay();
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    bench::XScreen screen(display);
    const auto start = bench::Clock::now();
    const pid_t child = bench::launch(options->command);
    if (child < 0)
        return 1;

    double firstFrameMs = -1;
    bool resized = false;
    std::optional<bench::Clock::time_point> closedAt;
    int status = 0;
    rusage usage{};
    bool exited = false;
    std::optional<Window> shown;
    for (;;) {
        if (wait4(child, &status, WNOHANG, &usage) == child) {
            exited = true;
            break;
        }
        if (firstFrameMs < 0) {
            for (Window w : screen.windowsOf(child, options->title)) {
                if (options->size && !resized) {
                    screen.resize(w, options->size->first, options->size->second);
                    resized = true;
                }
                if (showsFlash(screen, w)) {
                    firstFrameMs = bench::secondsSince(start) * 1000;
                    shown = w;
                    break;
                }
            }
            if (firstFrameMs < 0 && bench::secondsSince(start) > options->timeoutSeconds)
                break;
            std::this_thread::sleep_for(kPollInterval);
            continue;
        }
        // After the first frame the watcher keeps out of the way: it only waits.
        const double sinceFirst = bench::secondsSince(start) - firstFrameMs / 1000;
        if (!closedAt && options->holdSeconds >= 0 && sinceFirst >= options->holdSeconds) {
            screen.close(*shown);
            closedAt = bench::Clock::now();
        }
        if (closedAt && bench::secondsSince(*closedAt) > options->timeoutSeconds)
            break;  // it did not close: terminated below
        std::this_thread::sleep_for(kWaitInterval);
    }
    if (!exited) {
        kill(child, SIGTERM);
        for (int i = 0; i < 100 && !exited; ++i) {
            std::this_thread::sleep_for(kWaitInterval);
            exited = wait4(child, &status, WNOHANG, &usage) == child;
        }
        if (!exited) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
        }
    }
    const double wall = bench::secondsSince(start);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("first_frame_ms=%.1f wall_s=%.2f cpu_s=%.2f peak_rss_mib=%.1f exit=%d\n", firstFrameMs, wall, cpu,
                double(usage.ru_maxrss) / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    XCloseDisplay(display);
    return firstFrameMs < 0 ? 1 : 0;
}
