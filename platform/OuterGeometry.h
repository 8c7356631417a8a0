#pragma once

#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>

class QWidget;

namespace zepo {

// Places a top-level window by its outer (frame) rectangle, as saved geometry is kept.
// The frame's thickness is known only once the window manager has framed the window:
// until the window is shown the frame counts as zero, and on showing the rectangle is
// applied again with the real frame, after which `settled` runs (windows that carry a
// docked partner along use it to move the partner to the corrected edge).
void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled = {});

// Moves a top-level window so that its frame's top-left corner lands on a point. Its size
// stays; while a placement settles, that is the size the placement gave, whatever size
// the window system last reported.
void moveOuterTo(QWidget& window, const QPoint& topLeft);

// While a shown window waits for its frame to be placed as asked, the outer rectangle it
// was given: what the toolkit reports meanwhile is a client rectangle inside a frame that
// is not yet where it belongs. Nothing once the window stands where it was put.
std::optional<QRect> pendingOuterGeometry(const QWidget& window);

// A window hidden keeps the outer rectangle it had, moved along by the placements above
// while hidden, and shows there again. Window managers differ in where they leave a window
// they let go: some (mutter) put the client where its frame's corner was, and the
// toolkit then takes that for the client's own place, a frame's thickness off.
// keepOuterWhileHidden runs just before the window hides, placeKeptOuterForShow just
// before it shows; meanwhile keptOuterGeometry is its outer rectangle.
void keepOuterWhileHidden(QWidget& window);
void placeKeptOuterForShow(QWidget& window);
std::optional<QRect> keptOuterGeometry(const QWidget& window);

} // namespace zepo
