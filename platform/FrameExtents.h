#pragma once

#include <QMargins>
#include <QRect>
#include <optional>

class QWidget;

namespace zepo {

// The frame the window manager puts around a top-level window (left, top, right,
// bottom), or nothing while it is not known. On X11 this is what the window manager
// announces in _NET_FRAME_EXTENTS for a window it manages, which is there before the
// toolkit learns it. The window manager lets a hidden window go and frames it again a
// moment after it shows again; meanwhile the window keeps the frame it was last
// announced with, which is the frame it gets again.
std::optional<QMargins> frameExtents(const QWidget& window);

// Only the frame the window manager announces now: nothing for a hidden window, or one
// shown but not framed yet.
std::optional<QMargins> announcedFrameExtents(const QWidget& window);

// A top-level window's outer rectangle: its client rectangle plus its frame.
QRect outerGeometry(const QWidget& window);

// The outer rectangle of a window's normal placement: where a maximised or minimised
// window goes back to, otherwise where it stands.
QRect normalOuterGeometry(const QWidget& window);

} // namespace zepo
