#include "platform/X11Platform.h"

#include "platform/X11Connection.h"

#include <QGuiApplication>

namespace zepo {

X11Platform openX11Platform()
{
    X11Platform platform;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return platform;
    std::shared_ptr<X11Connection> connection = X11Connection::open();
    if (!connection)
        return platform;
    platform.displayModes = XRandrDisplayModes::create(connection);
    platform.desktop = std::make_unique<X11DesktopWindows>(connection);
    return platform;
}

} // namespace zepo
