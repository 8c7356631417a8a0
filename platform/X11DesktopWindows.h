#pragma once

#include "platform/DesktopWindows.h"
#include "platform/X11Connection.h"

#include <map>
#include <memory>

namespace zepo {

// The desktop's top-level windows through Xlib and the window manager's EWMH hints: the
// managed windows from _NET_CLIENT_LIST_STACKING (top first), then the withdrawn ones
// that carry a title (hidden windows, listed as not visible). Desktop windows
// (_NET_WM_WINDOW_TYPE_DESKTOP) report the class "Progman". A placement is the frame
// rectangle with the maximised and minimised states; it is put back with EWMH requests.
class X11DesktopWindows : public DesktopWindows {
public:
    explicit X11DesktopWindows(std::shared_ptr<X11Connection> connection);

    std::vector<DesktopWindow> list() override;
    bool placement(std::uint64_t id, WindowPlacement& out) override;
    void setPlacement(std::uint64_t id, const WindowPlacement& placement) override;
    void raiseWithPartner(std::uint64_t top, std::uint64_t partner) override;
    bool stackedBehind(std::uint64_t top, std::uint64_t partner) override;
    void activate(std::uint64_t id) override;
    bool managesFullScreen() override;

private:
    struct Extents {
        int left = 0, right = 0, top = 0, bottom = 0;
    };
    Extents frameExtents(unsigned long window);
    bool hasState(unsigned long window, const char* state);
    bool isMinimized(unsigned long window);
    // The caller holds the error trap: the check window may be gone.
    bool windowManagerRunning(X11Connection::ErrorTrap& trap);
    DesktopWindow describe(unsigned long window, bool visible);

    std::shared_ptr<X11Connection> x_;
    // The frame extents each window had when its placement was read.
    std::map<std::uint64_t, Extents> extentsAtPlacement_;
};

} // namespace zepo
