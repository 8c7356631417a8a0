#include "platform/FrameExtents.h"

#include "platform/OuterGeometry.h"

#include <QGuiApplication>
#include <QHash>
#include <QWidget>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <qguiapplication_platform.h>

namespace zepo {

namespace {

// Whether the window manager manages the window now: it puts WM_STATE on the windows it
// manages and takes it away when it lets one go.
bool isManaged(Display* display, Window window)
{
    const Atom property = XInternAtom(display, "WM_STATE", True);
    if (property == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
    if (data)
        XFree(data);
    return status == Success && type != None;
}

std::optional<QMargins> x11FrameExtents(Display* display, const QWidget& window)
{
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    const auto id = static_cast<Window>(window.winId());
    // A window let go keeps the property, emptied or with its old values, until the
    // window manager frames it again.
    if (property == None || !isManaged(display, id))
        return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, id, property, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data);
    std::optional<QMargins> extents;
    if (status == Success && type == XA_CARDINAL && format == 32 && count == 4 && data) {
        const auto* values = reinterpret_cast<const long*>(data);
        extents = QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]), static_cast<int>(values[1]),
                           static_cast<int>(values[3]));
    }
    if (data)
        XFree(data);
    return extents;
}

// The frame each native window was last announced with (UI thread only).
QHash<WId, QMargins>& lastAnnounced()
{
    static QHash<WId, QMargins> frames;
    return frames;
}

} // namespace

std::optional<QMargins> announcedFrameExtents(const QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->display() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (!window.testAttribute(Qt::WA_WState_Created))
            return std::nullopt;
        const std::optional<QMargins> extents = x11FrameExtents(x11->display(), window);
        if (extents)
            lastAnnounced().insert(window.internalWinId(), *extents);
        return extents;
    }
    // Elsewhere the toolkit knows the frame once the window is shown.
    if (!window.isVisible())
        return std::nullopt;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

std::optional<QMargins> frameExtents(const QWidget& window)
{
    if (const std::optional<QMargins> announced = announcedFrameExtents(window))
        return announced;
    if (!window.testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const auto known = lastAnnounced().constFind(window.internalWinId());
    if (known == lastAnnounced().constEnd())
        return std::nullopt;
    return *known;
}

QRect outerGeometry(const QWidget& window)
{
    if (const std::optional<QRect> target = pendingOuterGeometry(window))
        return *target;
    return window.geometry().marginsAdded(frameExtents(window).value_or(QMargins()));
}

QRect normalOuterGeometry(const QWidget& window)
{
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return window.normalGeometry().marginsAdded(frameExtents(window).value_or(QMargins()));
    return outerGeometry(window);
}

} // namespace zepo
