#pragma once

#include "platform/X11DesktopWindows.h"
#include "platform/XRandrDisplayModes.h"

#include <memory>

namespace zepo {

// The X11 services of the program: display modes (null without XRandR 1.2) and the
// desktop's windows, over one connection of our own. Both are null when the program
// does not run on X11 (the offscreen platform of the tests, for one).
struct X11Platform {
    std::unique_ptr<XRandrDisplayModes> displayModes;
    std::unique_ptr<X11DesktopWindows> desktop;
};

// Needs the application object; opens the display the toolkit uses.
X11Platform openX11Platform();

} // namespace zepo
