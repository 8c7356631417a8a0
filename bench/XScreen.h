#pragma once

// The X server as the benchmark programs see any player through it: its windows (found by
// the process id the toolkit writes on them and a text in their title), what they show,
// and the requests a window manager or a user would make of them.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zepo::bench {

// Windows deeper than this below the root are not toolkit top-levels (the window manager
// adds one frame level).
constexpr int kSearchDepth = 3;

class XScreen {
public:
    explicit XScreen(Display* d) : d_(d), pidAtom_(XInternAtom(d, "_NET_WM_PID", False)),
                                  nameAtom_(XInternAtom(d, "_NET_WM_NAME", False)),
                                  utf8_(XInternAtom(d, "UTF8_STRING", False)) {}

    // The viewable top-level windows of a process whose title holds the text.
    std::vector<Window> windowsOf(pid_t pid, const std::string& title)
    {
        std::vector<Window> found;
        walk(DefaultRootWindow(d_), 0, pid, title, found);
        return found;
    }

    // Colours (0xRRGGBB) on a grid of side x side points over the middle half of the
    // window; nothing while the window is not viewable or partly off screen.
    std::optional<std::vector<std::uint32_t>> middle(Window w, int side)
    {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d_, w, &a) || a.map_state != IsViewable || a.width < 8 || a.height < 8)
            return std::nullopt;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(d_, w, DefaultRootWindow(d_), a.width / 4, a.height / 4, &x, &y, &child);
        const int rw = a.width / 2;
        const int rh = a.height / 2;
        const int sw = DisplayWidth(d_, DefaultScreen(d_));
        const int sh = DisplayHeight(d_, DefaultScreen(d_));
        if (x < 0 || y < 0 || x + rw > sw || y + rh > sh)
            return std::nullopt;  // partly off screen: the grab would fail
        XImage* image = XGetImage(d_, DefaultRootWindow(d_), x, y, unsigned(rw), unsigned(rh), AllPlanes, ZPixmap);
        if (!image)
            return std::nullopt;
        std::vector<std::uint32_t> samples;
        samples.reserve(std::size_t(side) * std::size_t(side));
        for (int gy = 0; gy < side; ++gy) {
            for (int gx = 0; gx < side; ++gx) {
                const unsigned long p = XGetPixel(image, (2 * gx + 1) * rw / (2 * side), (2 * gy + 1) * rh / (2 * side));
                const auto r = std::uint32_t((p & image->red_mask) >> shift(image->red_mask));
                const auto g = std::uint32_t((p & image->green_mask) >> shift(image->green_mask));
                const auto b = std::uint32_t((p & image->blue_mask) >> shift(image->blue_mask));
                samples.push_back(r << 16 | g << 8 | b);
            }
        }
        XDestroyImage(image);
        return samples;
    }

    // To the top left corner as well, so that a large window stays on the screen.
    void resize(Window w, int width, int height)
    {
        XMoveResizeWindow(d_, w, 0, 0, unsigned(width), unsigned(height));
        XFlush(d_);
    }

    // Asks the window manager to give the window the focus, as a pager would.
    void activate(Window w)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(d_, "_NET_ACTIVE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2;
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(d_);
    }

    // As the window manager's close button: WM_DELETE_WINDOW when the window takes it.
    void close(Window w)
    {
        const Atom protocols = XInternAtom(d_, "WM_PROTOCOLS", False);
        const Atom del = XInternAtom(d_, "WM_DELETE_WINDOW", False);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(del);
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d_, w, False, NoEventMask, &e);
        XFlush(d_);
    }

private:
    static int shift(unsigned long mask)
    {
        int s = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++s;
        }
        return s;
    }

    std::optional<long> pidOf(Window w)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<long> pid;
        if (XGetWindowProperty(d_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
            && data && count == 1 && format == 32)
            pid = *reinterpret_cast<long*>(data);
        if (data)
            XFree(data);
        return pid;
    }

    std::string titleOf(Window w)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(d_, w, nameAtom_, 0, 1024, False, utf8_, &type, &format, &count, &after, &data) == Success
            && data)
            title.assign(reinterpret_cast<char*>(data), count);
        if (data)
            XFree(data);
        if (title.empty()) {
            char* name = nullptr;
            if (XFetchName(d_, w, &name) && name) {
                title = name;
                XFree(name);
            }
        }
        return title;
    }

    void walk(Window w, int depth, pid_t pid, const std::string& title, std::vector<Window>& found)
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d_, w, &root, &parent, &children, &count))
            return;
        for (unsigned int i = 0; i < count; ++i) {
            const Window c = children[i];
            XWindowAttributes a{};
            if (!XGetWindowAttributes(d_, c, &a) || a.map_state != IsViewable)
                continue;
            if (pidOf(c) == long(pid)) {
                if (title.empty() || titleOf(c).find(title) != std::string::npos)
                    found.push_back(c);
            } else if (depth + 1 < kSearchDepth) {
                walk(c, depth + 1, pid, title, found);
            }
        }
        if (children)
            XFree(children);
    }

    Display* d_;
    Atom pidAtom_;
    Atom nameAtom_;
    Atom utf8_;
};

// Windows vanish while they are looked at (a player closing); that is no error here.
inline int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// The display the players run on, its errors ignored; null without one.
inline Display* openDisplay()
{
    Display* display = XOpenDisplay(nullptr);
    if (display)
        XSetErrorHandler(ignoreErrors);
    return display;
}

} // namespace zepo::bench
