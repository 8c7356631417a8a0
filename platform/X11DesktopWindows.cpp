#include "platform/X11DesktopWindows.h"

#include "platform/X11Connection.h"
#include "platform/X11Frame.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>

namespace zepo {

namespace {
// EWMH: requests from a pager or similar tool, which window managers always honour.
constexpr long kSourcePager = 2;
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
// _NET_MOVERESIZE_WINDOW flags: x, y, width and height present.
constexpr long kMoveResizeAll = 0xF << 8;
constexpr int kMoveResizeSourceShift = 12;
// The class that marks the desktop itself, whatever the desktop program calls itself.
const char kDesktopClass[] = "Progman";
} // namespace

X11DesktopWindows::X11DesktopWindows(std::shared_ptr<X11Connection> connection) : x_(std::move(connection)) {}

DesktopWindow X11DesktopWindows::describe(unsigned long window, bool visible)
{
    DesktopWindow result;
    result.id = window;
    result.title = x_->title(window);
    result.visible = visible;
    const std::vector<unsigned long> types = x_->longs(window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    const bool desktop = std::find(types.begin(), types.end(), x_->atom("_NET_WM_WINDOW_TYPE_DESKTOP")) != types.end();
    result.windowClass = desktop ? kDesktopClass : x_->windowClass(window);
    return result;
}

std::vector<DesktopWindow> X11DesktopWindows::list()
{
    X11Connection::ErrorTrap trap(*x_);
    std::vector<unsigned long> clients = x_->longs(x_->root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    if (clients.empty())
        clients = x_->longs(x_->root(), "_NET_CLIENT_LIST", XA_WINDOW);

    std::vector<DesktopWindow> windows;
    // Managed windows, top of the stacking order first; a minimised window still counts
    // as shown.
    for (auto it = clients.rbegin(); it != clients.rend(); ++it)
        windows.push_back(describe(*it, true));

    // Withdrawn windows with a title: hidden, but they exist, as a hidden window of ours.
    Display* display = x_->display();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, x_->root(), &root, &parent, &children, &count) && children) {
        for (unsigned int i = count; i-- > 0;) {
            const Window child = children[i];
            if (std::find(clients.begin(), clients.end(), child) != clients.end())
                continue;
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, child, &attributes) || attributes.map_state != IsUnmapped
                || attributes.override_redirect)
                continue;
            DesktopWindow hidden = describe(child, false);
            if (!hidden.title.empty())
                windows.push_back(std::move(hidden));
        }
        XFree(children);
    }
    return windows;
}

X11DesktopWindows::Extents X11DesktopWindows::frameExtents(unsigned long window)
{
    const std::optional<QMargins> frame = x11WindowFrame(x_->display(), window);
    if (!frame)
        return {};
    return {frame->left(), frame->right(), frame->top(), frame->bottom()};
}

bool X11DesktopWindows::hasState(unsigned long window, const char* state)
{
    const std::vector<unsigned long> states = x_->longs(window, "_NET_WM_STATE", XA_ATOM);
    return std::find(states.begin(), states.end(), x_->atom(state)) != states.end();
}

bool X11DesktopWindows::isMinimized(unsigned long window)
{
    const unsigned long wmState = x_->atom("WM_STATE");
    const std::vector<unsigned long> icccm = x_->longs(window, "WM_STATE", wmState);
    return hasState(window, "_NET_WM_STATE_HIDDEN") || (!icccm.empty() && icccm[0] == IconicState);
}

bool X11DesktopWindows::placement(std::uint64_t id, WindowPlacement& out)
{
    X11Connection::ErrorTrap trap(*x_);
    Display* display = x_->display();
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display, id, &attributes)
        || !XTranslateCoordinates(display, id, x_->root(), 0, 0, &x, &y, &child))
        return false;
    const Extents e = frameExtents(id);
    extentsAtPlacement_[id] = e;
    out.frame = QRect(x - e.left, y - e.top, attributes.width + e.left + e.right, attributes.height + e.top + e.bottom);
    out.maximized = hasState(id, "_NET_WM_STATE_MAXIMIZED_VERT") && hasState(id, "_NET_WM_STATE_MAXIMIZED_HORZ");
    out.minimized = isMinimized(id);
    return !trap.failed();
}

void X11DesktopWindows::setPlacement(std::uint64_t id, const WindowPlacement& placement)
{
    X11Connection::ErrorTrap trap(*x_);
    Display* display = x_->display();
    const bool minimized = isMinimized(id);
    if (placement.minimized) {
        if (!minimized)
            XIconifyWindow(display, id, DefaultScreen(display));
        return;
    }
    // Mapping an iconic window asks for its normal state again.
    if (minimized)
        XMapWindow(display, id);
    const bool maximized = hasState(id, "_NET_WM_STATE_MAXIMIZED_VERT") && hasState(id, "_NET_WM_STATE_MAXIMIZED_HORZ");
    if (placement.maximized != maximized)
        x_->sendRootMessage(id, "_NET_WM_STATE", placement.maximized ? kStateAdd : kStateRemove,
                            static_cast<long>(x_->atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                            static_cast<long>(x_->atom("_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager);
    if (placement.maximized)
        return;

    // The extents the frame was measured with give back the client size it had; a
    // window being managed again has none (or zero ones) until its frame is made.
    const auto known = extentsAtPlacement_.find(id);
    const Extents e = known != extentsAtPlacement_.end() ? known->second : frameExtents(id);
    const int width = placement.frame.width() - e.left - e.right;
    const int height = placement.frame.height() - e.top - e.bottom;
    if (width <= 0 || height <= 0)
        return;
    // A window manager that announces no frame extents (i3) takes the position asked for
    // as the client's, whatever the gravity: it is given the client's rectangle.
    if (x_->wmSupports("_NET_MOVERESIZE_WINDOW") && x_->wmSupports("_NET_FRAME_EXTENTS")) {
        // North-west gravity: x and y are where the frame's top-left corner goes.
        x_->sendRootMessage(id, "_NET_MOVERESIZE_WINDOW",
                            NorthWestGravity | kMoveResizeAll | (kSourcePager << kMoveResizeSourceShift),
                            placement.frame.x(), placement.frame.y(), width, height);
    } else {
        XMoveResizeWindow(display, id, placement.frame.x() + e.left, placement.frame.y() + e.top,
                          static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
}

// Where the window manager takes restacking requests from pagers, two raises, the
// partner's first: window managers honour a plain raise from a pager, while some
// (openbox) take "below this sibling" for "to the bottom". The window manager may also
// raise the activated window itself only after the toolkit has told us of the
// activation; raised here already, it stays where it is then.
// Where it does not (xfwm4), a raise asked for by a client also activates the window: the
// partner raised would take the activation, and the two would hand it back and forth for
// ever. There the partner goes directly below the activated window, which the window
// manager has raised itself, and nothing is raised. With no window manager at all the
// server does as asked: the activated window is raised, its partner put below it.
void X11DesktopWindows::raiseWithPartner(std::uint64_t top, std::uint64_t partner)
{
    X11Connection::ErrorTrap trap(*x_);
    Display* display = x_->display();
    if (x_->wmSupports("_NET_RESTACK_WINDOW")) {
        for (const std::uint64_t window : {partner, top})
            x_->sendRootMessage(window, "_NET_RESTACK_WINDOW", kSourcePager, None, Above);
        return;
    }
    if (!windowManagerRunning(trap))
        XRaiseWindow(display, top);
    XWindowChanges below{};
    below.sibling = top;
    below.stack_mode = Below;
    // Sent to the window manager as ICCCM asks when the windows are framed.
    XReconfigureWMWindow(display, partner, DefaultScreen(display), CWSibling | CWStackMode, &below);
}

// A window manager that has gone leaves its _NET_SUPPORTED behind: the one running is the
// one whose check window still exists and names itself.
bool X11DesktopWindows::windowManagerRunning(X11Connection::ErrorTrap& trap)
{
    const std::vector<unsigned long> check = x_->longs(x_->root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty())
        return false;
    const std::vector<unsigned long> self = x_->longs(check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !trap.failed() && !self.empty() && self[0] == check[0];
}

bool X11DesktopWindows::stackedBehind(std::uint64_t top, std::uint64_t partner)
{
    X11Connection::ErrorTrap trap(*x_);
    const std::vector<unsigned long> stacking = x_->longs(x_->root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    const auto above = std::find(stacking.begin(), stacking.end(), top);
    if (stacking.empty() || above == stacking.end() || above == stacking.begin())
        return stacking.empty();
    return *(above - 1) == partner;
}

void X11DesktopWindows::activate(std::uint64_t id)
{
    X11Connection::ErrorTrap trap(*x_);
    if (windowManagerRunning(trap) && x_->wmSupports("_NET_ACTIVE_WINDOW")) {
        x_->sendRootMessage(id, "_NET_ACTIVE_WINDOW", kSourcePager, CurrentTime);
        return;
    }
    XRaiseWindow(x_->display(), id);
    XSetInputFocus(x_->display(), id, RevertToParent, CurrentTime);
}

bool X11DesktopWindows::managesFullScreen()
{
    X11Connection::ErrorTrap trap(*x_);
    return windowManagerRunning(trap) && x_->wmSupports("_NET_WM_STATE_FULLSCREEN");
}

} // namespace zepo
