#pragma once

#include "platform/DisplayModes.h"

#include <optional>

namespace zepo {

// The display mode full screen switches to while none is chosen, which is also the one
// the settings dialog recommends and preselects: a 640 x 480 mode at the current colour
// depth, the first of them at the current refresh rate, else the last of them, so that
// the monitor keeps the rate it runs at when it can. Nothing when no mode qualifies.
std::optional<int> defaultFullScreenMode(DisplayModes& modes, const DisplayMode& current);

} // namespace zepo
