// zepo-mode-guard: puts the start-up display mode back when zepo ends without doing so
// itself. zepo starts it at its first display-mode change, with the display's name as
// the argument and its connection to zepo as standard input, and tells it one line at a
// time what to restore ("restore ...", see restoreLine) or that nothing needs restoring
// ("keep"). When the connection closes, which the system does however zepo ends (by
// itself, by a signal, killed, crashed), the configuration it still holds is applied.
#include "platform/XRandrCrtc.h"

#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <unistd.h>

namespace {
// A line from zepo is about a hundred bytes; anything longer is not from zepo.
constexpr std::size_t kMaxLineBytes = 4096;
const std::string kKeep = "keep";

bool g_requestFailed = false;

int recordError(Display*, XErrorEvent*)
{
    g_requestFailed = true;
    return 0;
}

// What zepo left to restore when its connection closed.
std::optional<zepo::RestoreOrder> readUntilTheEnd()
{
    std::optional<zepo::RestoreOrder> pending;
    std::string line;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return pending;
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] != '\n') {
                if (line.size() < kMaxLineBytes)
                    line += chunk[i];
                continue;
            }
            if (line == kKeep)
                pending.reset();
            else if (auto order = zepo::parseRestoreLine(line))
                pending = order;
            line.clear();
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zepo-mode-guard DISPLAY (started by zepo)\n");
        return 2;
    }
    // It must outlive zepo: the signals that end zepo, its terminal or its process group
    // leave it alone, and it holds no folder and no file of zepo's.
    for (const int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE})
        std::signal(signalNumber, SIG_IGN);
    ::close_range(STDERR_FILENO + 1, ~0U, 0);
    if (::chdir("/") != 0)
        return 1;

    const std::optional<zepo::RestoreOrder> order = readUntilTheEnd();
    if (!order)
        return 0;
    Display* display = XOpenDisplay(argv[1]);
    if (!display) {
        std::fprintf(stderr, "zepo-mode-guard: cannot open display %s to restore its mode\n", argv[1]);
        return 1;
    }
    XSetErrorHandler(recordError);
    const bool applied = zepo::applyCrtcConfig(display, order->config, order->startupScreen, true);
    XSync(display, False);
    XCloseDisplay(display);
    if (!applied || g_requestFailed) {
        std::fprintf(stderr, "zepo-mode-guard: the display %s refused its start-up mode\n", argv[1]);
        return 1;
    }
    return 0;
}
