#pragma once

#include <QPoint>
#include <QRect>
#include <functional>

class QWidget;

namespace zepo {

// Places a top-level window by its outer (frame) rectangle, as saved geometry is kept.
// The frame's thickness is known only once the window manager has framed the window:
// until the window is shown the frame counts as zero, and on showing the rectangle is
// applied again with the real frame, after which `settled` runs (windows that carry a
// docked partner along use it to move the partner to the corrected edge).
void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled = {});

// Moves a top-level window so that its frame's top-left corner lands on a point.
void moveOuterTo(QWidget& window, const QPoint& topLeft);

} // namespace zepo
