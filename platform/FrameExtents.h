#pragma once

#include <QMargins>
#include <QRect>
#include <optional>

class QWidget;

namespace zepo {

// The frame the window manager has put around a top-level window (left, top, right,
// bottom), or nothing while it is not known yet. On X11 this is what the window manager
// announces in _NET_FRAME_EXTENTS, which is there before the toolkit learns it.
std::optional<QMargins> frameExtents(const QWidget& window);

// A top-level window's outer rectangle: its client rectangle plus its frame.
QRect outerGeometry(const QWidget& window);

} // namespace zepo
