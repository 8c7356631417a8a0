#include "platform/X11ExitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zepo {

namespace {
// The self-pipe: the handler writes the signal number, the event loop reads it.
int g_pipe[2] = {-1, -1};
void (*g_restore)() = nullptr;
constexpr int kSignals[] = {SIGINT, SIGTERM};

void onSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Only async-signal-safe work here; a full pipe means one is already pending.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}

void endBySignal(int signalNumber)
{
    if (g_restore)
        g_restore();
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signalNumber, &defaultAction, nullptr);
    raise(signalNumber);
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
        if (read(g_pipe[0], &byte, 1) == 1)
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

} // namespace zepo
