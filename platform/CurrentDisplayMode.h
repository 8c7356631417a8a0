#pragma once

#include "platform/DisplayModes.h"

#include <QSize>
#include <optional>

namespace zepo {

// What the toolkit tells of a screen, for when the display modes cannot tell the current
// one: its size in device pixels and its colour depth.
struct ScreenMeasure {
    QSize pixels;
    int depth = 0;
};

// The primary screen's measure; nothing without a screen.
std::optional<ScreenMeasure> primaryScreenMeasure();

// The display mode in force, measured as the display modes are: in device pixels, and
// with the bits a pixel takes in memory (32 for 24-bit colour). What the display modes
// cannot tell comes from the screen; the refresh rate stays as they report it. Full
// screen and the settings dialog both measure the screen here, so that the mode the
// dialog recommends is the one full screen picks.
DisplayMode currentDisplayMode(DisplayModes& modes, const std::optional<ScreenMeasure>& screen);
DisplayMode currentDisplayMode(DisplayModes& modes);

} // namespace zepo
