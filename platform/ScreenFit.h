#pragma once

#include <QRect>

namespace zepo {

// How much of a window's top must stay on the screen for its title bar to be there: a
// caption is at most this tall in the common window-manager themes.
inline constexpr int kTitleBarHeight = 32;

// An outer rectangle as the settings file holds it: any four 32-bit values, which may
// not even make a rectangle that fits in 32 bits.
struct SavedRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A saved rectangle made fit for the screen area it is shown in: no larger than the
// area, and moved by as little as needed for its whole title bar to lie on the area.
// The rest of a window may hang below the bottom edge, as a user may have left it.
QRect fitOnScreen(const SavedRect& saved, const QRect& area);

// The available area (without panels) of the screen that holds the middle of the saved
// rectangle's title bar, or of the primary screen when none does; empty without screens.
QRect screenAreaFor(const SavedRect& saved);

} // namespace zepo
