#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace zepo {

// Our own Xlib connection to the display the program runs on, with the few property and
// error helpers that the display-mode and desktop-window code share. A connection of our
// own keeps working whatever the toolkit does with its own, up to the last moment of the
// process. UI thread only.
class X11Connection {
public:
    // Nothing when the display cannot be opened.
    static std::shared_ptr<X11Connection> open();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* display() const { return display_; }
    unsigned long root() const;
    unsigned long atom(const char* name);

    // A 32-bit property as a list (window ids, atoms, cardinals); empty when absent.
    std::vector<unsigned long> longs(unsigned long window, const char* property, unsigned long type);
    // A text property: _NET_WM_NAME in UTF-8, else WM_NAME converted to UTF-8.
    std::string title(unsigned long window);
    // The class part of WM_CLASS.
    std::string windowClass(unsigned long window);
    // Sends an EWMH client message about `window` to the root window.
    void sendRootMessage(unsigned long window, const char* type, long l0, long l1 = 0, long l2 = 0, long l3 = 0,
                         long l4 = 0);
    // Whether the window manager announces support for an EWMH atom.
    bool wmSupports(const char* atomName);

    // Errors of requests made while it lives are recorded instead of ending the process
    // (a window may vanish at any moment). Xlib has one handler per process, so traps
    // do not nest.
    class ErrorTrap {
    public:
        explicit ErrorTrap(X11Connection& connection);
        ~ErrorTrap();
        // Waits for the server and tells whether any request failed meanwhile.
        bool failed();

    private:
        X11Connection& connection_;
    };

private:
    explicit X11Connection(Display* display) : display_(display) {}
    Display* display_;
};

} // namespace zepo
