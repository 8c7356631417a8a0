#pragma once

namespace zepo {

// SIGINT, SIGTERM, SIGHUP (the terminal closed) and SIGQUIT end the process by that same
// signal, as they would have anyway, and at once, however busy the UI thread is. Only
// while a changed display mode is in force that no one else will put back
// (setRestoreNeeded) does the signal wait for the UI thread's event loop to run `restore`
// first. Needs the application object; the first call installs the handlers, later
// calls change nothing.
void restoreOnTerminationSignals(void (*restore)());

// Whether the process itself must run the restore before a signal ends it. Any thread.
void setRestoreNeeded(bool needed);

} // namespace zepo
