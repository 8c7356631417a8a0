#include "platform/FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <qguiapplication_platform.h>

namespace zepo {

namespace {

std::optional<QMargins> x11FrameExtents(Display* display, const QWidget& window)
{
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    if (property == None)
        return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, static_cast<Window>(window.winId()), property, 0, 4, False,
                                          XA_CARDINAL, &type, &format, &count, &after, &data);
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

} // namespace

std::optional<QMargins> frameExtents(const QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->display() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (window.testAttribute(Qt::WA_WState_Created))
            return x11FrameExtents(x11->display(), window);
        return std::nullopt;
    }
    // Elsewhere the toolkit knows the frame once the window is shown.
    if (!window.isVisible())
        return std::nullopt;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

QRect outerGeometry(const QWidget& window)
{
    return window.geometry().marginsAdded(frameExtents(window).value_or(QMargins()));
}

} // namespace zepo
