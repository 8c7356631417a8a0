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

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
// Windows deeper than this below the root are not toolkit top-levels (the window manager
// adds one frame level).
constexpr int kSearchDepth = 3;

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
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        const char* v = argv[++i];
        if (a == "--size") {
            int w = 0, h = 0;
            if (std::sscanf(v, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0)
                return std::nullopt;
            o.size = {w, h};
        } else if (a == "--title") {
            o.title = v;
        } else if (a == "--hold") {
            o.holdSeconds = std::atof(v);
        } else if (a == "--timeout") {
            o.timeoutSeconds = std::atof(v);
        } else {
            return std::nullopt;
        }
    }
    for (++i; i < argc; ++i)
        o.command.push_back(argv[i]);
    if (o.command.empty())
        return std::nullopt;
    o.command.push_back(nullptr);
    return o;
}

class XScreen {
public:
    explicit XScreen(Display* d) : d_(d), pidAtom_(XInternAtom(d, "_NET_WM_PID", False)),
                                  nameAtom_(XInternAtom(d, "_NET_WM_NAME", False)),
                                  utf8_(XInternAtom(d, "UTF8_STRING", False)) {}

    // The viewable top-level windows of a process whose title holds the text.
    std::vector<Window> windowsOf(pid_t pid, const std::string& title)
    {
        std::vector<Window> found;
        walk(DefaultRootWindow(d_), 0, pid, title, found);
        return found;
    }

    // Whether most of the middle of the window shows the flash.
    bool showsFlash(Window w)
    {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d_, w, &a) || a.map_state != IsViewable || a.width < 8 || a.height < 8)
            return false;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(d_, w, DefaultRootWindow(d_), a.width / 4, a.height / 4, &x, &y, &child);
        const int rw = a.width / 2;
        const int rh = a.height / 2;
        const int sw = DisplayWidth(d_, DefaultScreen(d_));
        const int sh = DisplayHeight(d_, DefaultScreen(d_));
        if (x < 0 || y < 0 || x + rw > sw || y + rh > sh)
            return false;  // partly off screen: the grab would fail
        XImage* image = XGetImage(d_, DefaultRootWindow(d_), x, y, unsigned(rw), unsigned(rh), AllPlanes, ZPixmap);
        if (!image)
            return false;
        int flash = 0;
        for (int gy = 0; gy < kGridSide; ++gy) {
            for (int gx = 0; gx < kGridSide; ++gx) {
                const unsigned long p = XGetPixel(image, (2 * gx + 1) * rw / (2 * kGridSide), (2 * gy + 1) * rh / (2 * kGridSide));
                const int r = int((p & image->red_mask) >> shift(image->red_mask));
                const int g = int((p & image->green_mask) >> shift(image->green_mask));
                const int b = int((p & image->blue_mask) >> shift(image->blue_mask));
                if (r > 255 - kChannelSlack && g < kChannelSlack && b > 255 - kChannelSlack)
                    ++flash;
            }
        }
        XDestroyImage(image);
        return flash >= kFlashShare * kGridSide * kGridSide;
    }

    // To the top left corner as well, so that a large window stays on the screen.
    void resize(Window w, int width, int height)
    {
        XMoveResizeWindow(d_, w, 0, 0, unsigned(width), unsigned(height));
        XFlush(d_);
    }

    // As the window manager's close button: WM_DELETE_WINDOW when the window takes it.
    void close(Window w)
    {
        const Atom protocols = XInternAtom(d_, "WM_PROTOCOLS", False);
        const Atom del = XInternAtom(d_, "WM_DELETE_WINDOW", False);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(del);
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d_, w, False, NoEventMask, &e);
        XFlush(d_);
    }

private:
    static int shift(unsigned long mask)
    {
        int s = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++s;
        }
        return s;
    }

    std::optional<long> pidOf(Window w)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<long> pid;
        if (XGetWindowProperty(d_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
            && data && count == 1 && format == 32)
            pid = *reinterpret_cast<long*>(data);
        if (data)
            XFree(data);
        return pid;
    }

    std::string titleOf(Window w)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(d_, w, nameAtom_, 0, 1024, False, utf8_, &type, &format, &count, &after, &data) == Success
            && data)
            title.assign(reinterpret_cast<char*>(data), count);
        if (data)
            XFree(data);
        if (title.empty()) {
            char* name = nullptr;
            if (XFetchName(d_, w, &name) && name) {
                title = name;
                XFree(name);
            }
        }
        return title;
    }

    void walk(Window w, int depth, pid_t pid, const std::string& title, std::vector<Window>& found)
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d_, w, &root, &parent, &children, &count))
            return;
        for (unsigned int i = 0; i < count; ++i) {
            const Window c = children[i];
            XWindowAttributes a{};
            if (!XGetWindowAttributes(d_, c, &a) || a.map_state != IsViewable)
                continue;
            if (pidOf(c) == long(pid)) {
                if (title.empty() || titleOf(c).find(title) != std::string::npos)
                    found.push_back(c);
            } else if (depth + 1 < kSearchDepth) {
                walk(c, depth + 1, pid, title, found);
            }
        }
        if (children)
            XFree(children);
    }

    Display* d_;
    Atom pidAtom_;
    Atom nameAtom_;
    Atom utf8_;
};

// Windows vanish while they are looked at (a player closing); that is no error here.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
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
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    XScreen screen(display);

    const auto start = bench::Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(options->command[0], options->command.data());
        _exit(127);
    }
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
                if (screen.showsFlash(w)) {
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
