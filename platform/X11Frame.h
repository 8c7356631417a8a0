#pragma once

#include <QMargins>
#include <optional>
#include <vector>

typedef struct _XDisplay Display;

namespace zepo {

// A 32-bit property of a window (of that type, or AnyPropertyType) as its values; nothing
// when the window lacks it.
std::optional<std::vector<long>> x11Longs(Display* display, unsigned long window, const char* name,
                                          unsigned long type, long count);

// The frame a window manager has put around a top-level window, in device pixels (left,
// top, right, bottom): what it announces in _NET_FRAME_EXTENTS, or, from a window manager
// that announces none (i3), the ancestor it put the client in, just below the root (no
// frame when it did not reparent the client). Nothing while the frame is not known.
std::optional<QMargins> x11WindowFrame(Display* display, unsigned long window);

// Whether the window manager announces frame extents. One that does not places a window
// it frames anew with the frame's corner where the client asked to be.
bool x11AnnouncesFrameExtents(Display* display);

} // namespace zepo
