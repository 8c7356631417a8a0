#include "platform/TaskbarHint.h"

#include <QGuiApplication>
#include <QWidget>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <qguiapplication_platform.h>
#include <vector>

namespace zepo {

void keepOffTaskbar(QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    Display* display = x11->display();
    const auto id = static_cast<Window>(window.winId());
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);

    // The toolkit merges its own states into what the window carries when it maps it:
    // the hints are added to those already there.
    std::vector<Atom> states;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, id, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) == Success
        && data && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        states.assign(atoms, atoms + count);
    }
    if (data)
        XFree(data);
    for (const char* hint : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const Atom atom = XInternAtom(display, hint, False);
        if (std::find(states.begin(), states.end(), atom) == states.end())
            states.push_back(atom);
    }
    XChangeProperty(display, id, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(states.data()),
                    static_cast<int>(states.size()));
    XFlush(display);
}

} // namespace zepo
