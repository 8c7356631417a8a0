#pragma once

namespace zepo {

// Chooses the toolkit's window-system plugin before the application object exists. Under
// a Wayland session that also offers an X display (XWayland, as GNOME and KDE sessions
// do), the program runs on X11: there a window places itself, which docking, snapping and
// the saved places need, and display modes can change. A QT_QPA_PLATFORM the user set
// still decides.
void chooseQtPlatform();

} // namespace zepo
