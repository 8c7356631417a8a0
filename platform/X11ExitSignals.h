#pragma once

namespace zepo {

// When SIGINT or SIGTERM arrives, runs `restore` on the UI thread (from its event loop)
// and then ends the process by that same signal, as it would have ended anyway. For
// putting the display back before the process goes. Needs the application object; the
// first call installs the handlers, later calls change nothing.
void restoreOnTerminationSignals(void (*restore)());

} // namespace zepo
