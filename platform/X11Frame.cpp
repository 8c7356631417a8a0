#include "platform/X11Frame.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <vector>

namespace zepo {

namespace {

// More atoms than any window manager announces support for.
constexpr long kMaxSupportedAtoms = 1024;

} // namespace

std::optional<std::vector<long>> x11Longs(Display* display, unsigned long window, const char* name,
                                          unsigned long type, long count)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<std::vector<long>> values;
    if (XGetWindowProperty(display, window, atom, 0, count, False, type, &actualType, &format, &items, &after, &data)
            == Success
        && actualType != None && format == 32 && data) {
        const auto* first = reinterpret_cast<const long*>(data);
        values.emplace(first, first + items);
    }
    if (data)
        XFree(data);
    return values;
}

bool x11AnnouncesFrameExtents(Display* display)
{
    const Atom wanted = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    const auto supported = x11Longs(display, DefaultRootWindow(display), "_NET_SUPPORTED", XA_ATOM, kMaxSupportedAtoms);
    return wanted != None && supported
        && std::find(supported->begin(), supported->end(), static_cast<long>(wanted)) != supported->end();
}

namespace {

std::optional<QMargins> reparentingFrame(Display* display, Window client)
{
    Window frame = client;
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, frame, &root, &parent, &children, &count))
            return std::nullopt;
        if (children)
            XFree(children);
        if (parent == root || parent == None)
            break;
        frame = parent;
    }
    if (frame == client)
        return QMargins();
    XWindowAttributes outer{}, inner{};
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display, frame, &outer) || !XGetWindowAttributes(display, client, &inner)
        || !XTranslateCoordinates(display, client, outer.root, 0, 0, &x, &y, &child))
        return std::nullopt;
    const int right = outer.x + outer.width + 2 * outer.border_width;
    const int bottom = outer.y + outer.height + 2 * outer.border_width;
    return QMargins(x - outer.x, y - outer.y, right - (x + inner.width), bottom - (y + inner.height));
}

} // namespace

std::optional<QMargins> x11WindowFrame(Display* display, unsigned long window)
{
    if (!x11AnnouncesFrameExtents(display))
        return reparentingFrame(display, window);
    const auto values = x11Longs(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4);
    if (!values || values->size() != 4)
        return std::nullopt;
    const std::vector<long>& v = *values;
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
}

} // namespace zepo
