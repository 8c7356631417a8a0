#include "platform/X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>

namespace zepo {

namespace {
// Set by the trap's handler; only the UI thread makes X requests.
bool g_requestFailed = false;
// The handler a trap replaced, put back when it ends.
XErrorHandler g_previousHandler = nullptr;

int recordError(Display*, XErrorEvent*)
{
    g_requestFailed = true;
    return 0;
}

// Longest property we read, in 32-bit units: a client list of thousands of windows.
constexpr long kMaxPropertyLongs = 65536;
} // namespace

std::shared_ptr<X11Connection> X11Connection::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::shared_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::~X11Connection()
{
    XCloseDisplay(display_);
}

unsigned long X11Connection::root() const
{
    return DefaultRootWindow(display_);
}

unsigned long X11Connection::atom(const char* name)
{
    return XInternAtom(display_, name, False);
}

std::vector<unsigned long> X11Connection::longs(unsigned long window, const char* property, unsigned long type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display_, window, atom(property), 0, kMaxPropertyLongs, False, type, &actualType, &format,
                           &count, &after, &data)
            == Success
        && data && format == 32 && actualType == type) {
        // Xlib hands 32-bit items out as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data)
        XFree(data);
    return values;
}

std::string X11Connection::title(unsigned long window)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    const Atom utf8 = atom("UTF8_STRING");
    if (XGetWindowProperty(display_, window, atom("_NET_WM_NAME"), 0, kMaxPropertyLongs, False, utf8, &actualType,
                           &format, &count, &after, &data)
            == Success
        && data && format == 8 && actualType == utf8) {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data)
        XFree(data);
    if (!text.empty())
        return text;

    XTextProperty name{};
    if (XGetWMName(display_, window, &name) && name.value) {
        char** list = nullptr;
        int items = 0;
        if (Xutf8TextPropertyToTextList(display_, &name, &list, &items) >= Success && list) {
            if (items > 0 && list[0])
                text = list[0];
            XFreeStringList(list);
        }
        XFree(name.value);
    }
    return text;
}

std::string X11Connection::windowClass(unsigned long window)
{
    XClassHint hint{};
    std::string result;
    if (XGetClassHint(display_, window, &hint)) {
        if (hint.res_class)
            result = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return result;
}

void X11Connection::sendRootMessage(unsigned long window, const char* type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display_, root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool X11Connection::wmSupports(const char* atomName)
{
    const std::vector<unsigned long> supported = longs(root(), "_NET_SUPPORTED", XA_ATOM);
    return std::find(supported.begin(), supported.end(), atom(atomName)) != supported.end();
}

X11Connection::ErrorTrap::ErrorTrap(X11Connection& connection) : connection_(connection)
{
    XSync(connection_.display(), False);
    g_requestFailed = false;
    g_previousHandler = XSetErrorHandler(recordError);
}

X11Connection::ErrorTrap::~ErrorTrap()
{
    XSync(connection_.display(), False);
    XSetErrorHandler(g_previousHandler);
}

bool X11Connection::ErrorTrap::failed()
{
    XSync(connection_.display(), False);
    return g_requestFailed;
}

} // namespace zepo
