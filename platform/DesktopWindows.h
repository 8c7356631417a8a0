#pragma once

#include <QRect>
#include <cstdint>
#include <string>
#include <vector>

namespace zepo {

// A top-level window of the desktop as the window manager lists it.
struct DesktopWindow {
    std::uint64_t id = 0;
    std::string title;
    std::string windowClass;  // "Progman" for desktop windows
    bool visible = false;
};

// Where a window stood: its frame rectangle and its state.
struct WindowPlacement {
    QRect frame;
    bool maximized = false;
    bool minimized = false;
};

// The desktop's top-level windows (top of the stacking order first), their placements,
// and the restacking of our own windows.
class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;
    virtual std::vector<DesktopWindow> list() = 0;
    virtual bool placement(std::uint64_t id, WindowPlacement& out) = 0;
    virtual void setPlacement(std::uint64_t id, const WindowPlacement& placement) = 0;
    // Raises `top` to the top of the stacking order and puts `partner` directly behind it,
    // without activating either.
    virtual void raiseWithPartner(std::uint64_t top, std::uint64_t partner) = 0;
    // Whether `partner` stands directly behind `top` in the stacking order; true where no
    // order is known.
    virtual bool stackedBehind(std::uint64_t top, std::uint64_t partner) = 0;
    // Brings a window of ours to the front with the focus, as the user asked for it (a
    // second start): asked of the window manager as a pager asks, which window managers
    // that hold back programs taking the focus by themselves still honour.
    virtual void activate(std::uint64_t id) = 0;
    // Whether a window manager runs that takes a window to full screen when the window
    // asks for it; without one, a window covers the screen by itself.
    virtual bool managesFullScreen() = 0;
};

} // namespace zepo
