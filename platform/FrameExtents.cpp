#include "platform/FrameExtents.h"

#include "platform/OuterGeometry.h"

#include <QGuiApplication>
#include <QHash>
#include <QWidget>
#include <vector>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <qguiapplication_platform.h>

namespace zepo {

namespace {

// The 32-bit values of a window property of that type (any type: AnyPropertyType), or
// nothing when the window lacks it.
std::optional<std::vector<long>> property(Display* display, Window window, const char* name, Atom type, long count)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, window, atom, 0, count, False, type, &actualType, &format, &items, &after, &data);
    std::optional<std::vector<long>> values;
    if (status == Success && actualType != None) {
        const auto* longs = reinterpret_cast<const long*>(data);
        values.emplace(format == 32 && longs ? std::vector<long>(longs, longs + items) : std::vector<long>{});
    }
    if (data)
        XFree(data);
    return values;
}

std::optional<QMargins> x11FrameExtents(Display* display, const QWidget& window)
{
    const auto id = static_cast<Window>(window.winId());
    // The window manager puts WM_STATE on the windows it manages and takes it away when it
    // lets one go; a window let go keeps _NET_FRAME_EXTENTS, emptied or with its old
    // values, until the window manager frames it again.
    if (!property(display, id, "WM_STATE", AnyPropertyType, 1))
        return std::nullopt;
    const std::optional<std::vector<long>> values = property(display, id, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4);
    if (!values || values->size() != 4)
        return std::nullopt;
    const std::vector<long>& v = *values;
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
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
