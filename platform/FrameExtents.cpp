#include "platform/FrameExtents.h"

#include "platform/OuterGeometry.h"
#include "platform/X11Frame.h"

#include <QGuiApplication>
#include <QHash>
#include <QWidget>
#include <cmath>
#include <vector>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <qguiapplication_platform.h>

namespace zepo {

namespace {

// Device pixels.
std::optional<QMargins> x11FrameExtents(Display* display, const QWidget& window)
{
    const auto id = static_cast<Window>(window.winId());
    // The window manager puts WM_STATE on the windows it manages and takes it away when it
    // lets one go, or marks it withdrawn (mutter, i3); a window let go keeps
    // _NET_FRAME_EXTENTS, emptied or with its old values, and has left its frame, until
    // the window manager frames it again.
    const std::optional<std::vector<long>> state = x11Longs(display, id, "WM_STATE", AnyPropertyType, 1);
    if (!state) {
        // With no window manager at all nothing frames a window: one on show has none.
        XWindowAttributes attributes{};
        if (!x11Longs(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1)
            && XGetWindowAttributes(display, id, &attributes) && attributes.map_state == IsViewable)
            return QMargins();
        return std::nullopt;
    }
    if (state->empty() || state->front() == WithdrawnState)
        return std::nullopt;
    return x11WindowFrame(display, id);
}

// The toolkit's coordinates are the device pixels divided by the window's scale.
QMarginsF toToolkit(const QMargins& device, const QWidget& window)
{
    const qreal scale = window.devicePixelRatioF();
    return QMarginsF(device.left() / scale, device.top() / scale, device.right() / scale, device.bottom() / scale);
}

// The frame each native window was last announced with (UI thread only).
QHash<WId, QMarginsF>& lastAnnounced()
{
    static QHash<WId, QMarginsF> frames;
    return frames;
}

} // namespace

std::optional<QMarginsF> announcedFrameExtents(const QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->display() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (!window.testAttribute(Qt::WA_WState_Created))
            return std::nullopt;
        const std::optional<QMargins> device = x11FrameExtents(x11->display(), window);
        if (!device)
            return std::nullopt;
        const QMarginsF extents = toToolkit(*device, window);
        // Where the window manager announces none, a window shown again is framed as a
        // new one, with the frame where the client asks to be: no frame is kept for it.
        if (x11AnnouncesFrameExtents(x11->display()))
            lastAnnounced().insert(window.internalWinId(), extents);
        return extents;
    }
    // Elsewhere the toolkit knows the frame once the window is shown.
    if (!window.isVisible())
        return std::nullopt;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QMarginsF extents(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                            frame.bottom() - client.bottom());
    if (window.testAttribute(Qt::WA_WState_Created))
        lastAnnounced().insert(window.internalWinId(), extents);
    return extents;
}

std::optional<QMarginsF> frameExtents(const QWidget& window)
{
    if (const std::optional<QMarginsF> announced = announcedFrameExtents(window))
        return announced;
    if (!window.testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const auto known = lastAnnounced().constFind(window.internalWinId());
    if (known == lastAnnounced().constEnd())
        return std::nullopt;
    return *known;
}

void repeatPlacement(const QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || QGuiApplication::platformName() != QLatin1String("xcb")
        || !window.testAttribute(Qt::WA_WState_Created))
        return;
    const QPointF device = QPointF(window.geometry().topLeft()) * window.devicePixelRatioF();
    XMoveWindow(x11->display(), static_cast<Window>(window.internalWinId()), qRound(device.x()), qRound(device.y()));
    XFlush(x11->display());
}

QRect outerFromClient(const QRect& client, const QMarginsF& frame)
{
    return QRect(static_cast<int>(std::floor(client.x() - frame.left())),
                 static_cast<int>(std::floor(client.y() - frame.top())),
                 static_cast<int>(std::floor(client.width() + frame.left() + frame.right())),
                 static_cast<int>(std::floor(client.height() + frame.top() + frame.bottom())));
}

QRect clientFromOuter(const QRect& outer, const QMarginsF& frame)
{
    return QRect(static_cast<int>(std::ceil(outer.x() + frame.left())),
                 static_cast<int>(std::ceil(outer.y() + frame.top())),
                 static_cast<int>(std::ceil(outer.width() - frame.left() - frame.right())),
                 static_cast<int>(std::ceil(outer.height() - frame.top() - frame.bottom())));
}

QRect outerGeometry(const QWidget& window)
{
    if (const std::optional<QRect> kept = keptOuterGeometry(window))
        return *kept;
    if (const std::optional<QRect> target = pendingOuterGeometry(window))
        return *target;
    return outerFromClient(window.geometry(), frameExtents(window).value_or(QMarginsF()));
}

QRect normalOuterGeometry(const QWidget& window)
{
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return outerFromClient(window.normalGeometry(), frameExtents(window).value_or(QMarginsF()));
    return outerGeometry(window);
}

} // namespace zepo
