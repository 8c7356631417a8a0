#pragma once

#include <QMarginsF>
#include <QRect>
#include <optional>

class QWidget;

namespace zepo {

// The frame the window manager puts around a top-level window (left, top, right,
// bottom), in the toolkit's coordinates, or nothing while it is not known. On X11 this is
// what the window manager announces in _NET_FRAME_EXTENTS for a window it manages, which
// is there before the toolkit learns it; a window manager that announces none (a tiling
// one) still frames its windows, and then the frame is the window it put the client in.
// The window system counts device pixels: on a scaled screen a frame is converted here,
// and only here, to the toolkit's coordinates, where it may take fractions of a pixel.
// The window manager lets a hidden window go and frames it again a moment after it
// shows again; meanwhile the window keeps the frame it was last announced with, which is
// the frame it gets again.
std::optional<QMarginsF> frameExtents(const QWidget& window);

// Only the frame the window manager announces now: nothing for a hidden window, or one
// shown but not framed yet.
std::optional<QMarginsF> announcedFrameExtents(const QWidget& window);

// A client rectangle and its frame make an outer rectangle, and the other way round.
// With a frame of fractional thickness the client's position and size are rounded up and
// the outer ones read back rounded down, so that a window placed by its outer rectangle
// reads back exactly that rectangle: saved places never creep.
QRect outerFromClient(const QRect& client, const QMarginsF& frame);
QRect clientFromOuter(const QRect& outer, const QMarginsF& frame);

// Asks the window system once more for the place the toolkit takes the window to have. A
// window manager busy dragging the window ignores the moves asked for meanwhile (xfwm4),
// while the toolkit takes them as done and would not ask again for the same place.
void repeatPlacement(const QWidget& window);

// A top-level window's outer rectangle: its client rectangle plus its frame.
QRect outerGeometry(const QWidget& window);

// The outer rectangle of a window's normal placement: where a maximised or minimised
// window goes back to, otherwise where it stands.
QRect normalOuterGeometry(const QWidget& window);

} // namespace zepo
