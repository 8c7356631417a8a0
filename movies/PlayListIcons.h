#pragma once

#include "movies/PlayState.h"

#include <QIcon>

namespace zepo {

// The state column's icons, drawn here: "off" (pending) a hollow ring, "play" (playing)
// a green triangle, "on" (done) a blue check mark. Drawn anew on each call: the caller
// keeps them (pixmaps must not outlive the application object, so no statics).
QIcon drawPlayStateIcon(playstate::PlayState state);

// Side of the square the icons are drawn in, pixels: fits a 20-pixel row.
inline constexpr int kPlayStateIconSize = 14;

} // namespace zepo
