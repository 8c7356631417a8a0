#include "platform/X11ExitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zepo {

namespace {
// The self-pipe: the handler writes the signal number, the event loop reads it.
int g_pipe[2] = {-1, -1};
void (*g_restore)() = nullptr;
// Set by the UI thread, read by the handler on whatever thread the signal lands.
std::atomic<bool> g_restoreNeeded{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Ends the process by the signal's default action. Async-signal-safe: inside a handler
// the signal is blocked, and it takes effect when the handler returns.
void endBySignal(int signalNumber)
{
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signalNumber, &defaultAction, nullptr);
    raise(signalNumber);
}

void onSignal(int signalNumber)
{
    if (!g_restoreNeeded.load()) {
        endBySignal(signalNumber);
        return;
    }
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Only async-signal-safe work here; a full pipe means one is already pending.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}
} // namespace

void restoreOnTerminationSignals(void (*restore)())
{
    if (g_pipe[0] >= 0 || !QCoreApplication::instance())
        return;
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    g_restore = restore;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        if (read(g_pipe[0], &byte, 1) != 1)
            return;
        if (g_restore)
            g_restore();
        endBySignal(byte);
    });
    for (const int signalNumber : kSignals) {
        // A signal the process was started with ignored stays ignored.
        struct sigaction previous {};
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signalNumber, &action, nullptr);
    }
}

void setRestoreNeeded(bool needed)
{
    g_restoreNeeded.store(needed);
}

} // namespace zepo
