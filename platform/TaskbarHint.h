#pragma once

class QWidget;

namespace zepo {

// Keeps a top-level window that is not about to be shown off the taskbar and the pager
// (_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER), as a companion window without a
// taskbar button of its own. The window manager forgets the hint whenever the window is
// hidden, so it is given before each show. Nothing happens off X11.
void keepOffTaskbar(QWidget& window);

} // namespace zepo
