#include "platform/PointerButtons.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <qguiapplication_platform.h>

namespace zepo {

bool pointerButtonHeld()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return QGuiApplication::mouseButtons() != Qt::NoButton;
    Display* display = x11->display();
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return (mask & (Button1Mask | Button2Mask | Button3Mask)) != 0;
}

} // namespace zepo
