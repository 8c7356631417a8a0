#pragma once

#include "platform/DisplayModes.h"
#include "platform/XRandrCrtc.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zepo {

class ModeGuard;
class X11Connection;

// Display modes through XRandR, on the output that shows the reference window (the
// player window; the primary output until one is set). Modes are numbered in the
// output's own order. A change is temporary: the configuration in force when this object
// was made is the one restoreStartupMode() returns to, and it is restored as well when
// the object goes away or the process exits, so the desktop is never left in a changed
// mode. For the endings that run none of our code (SIGKILL, a crash, a signal that ends
// the process at once) the first change starts the mode guard, which restores the mode
// when the process is gone.
class XRandrDisplayModes : public DisplayModes {
public:
    // Nothing when the display has no XRandR 1.2.
    static std::unique_ptr<XRandrDisplayModes> create(std::shared_ptr<X11Connection> connection);
    ~XRandrDisplayModes() override;

    void setReferenceWindow(std::uint64_t window) { referenceWindow_ = window; }

    std::optional<DisplayMode> current() override;
    std::optional<DisplayMode> mode(int number) override;
    ChangeResult change(const DisplayMode& mode) override;
    void restoreStartupMode() override;

    // Restores the start-up mode of the live instance, if one changed it: for the exit
    // paths (atexit, SIGINT, SIGTERM).
    static void restoreAtExit();

private:
    struct OutputView;

    explicit XRandrDisplayModes(std::shared_ptr<X11Connection> connection);
    unsigned long outputOfInterest();
    // The output of interest as the server describes it now; null when there is none.
    std::unique_ptr<OutputView> viewOutput();
    std::optional<DisplayMode> describe(unsigned long modeId);
    int bitsPerPixel();
    const CrtcConfig* startupConfig(unsigned long crtc) const;
    // Applies one CRTC's configuration and sizes the screen to hold every CRTC.
    bool apply(const CrtcConfig& config);
    // Whoever puts the display back if the process ends now: told to restore `startup`,
    // or that nothing needs restoring.
    void holdForRestore(const CrtcConfig& startup);
    void nothingToRestore();

    std::shared_ptr<X11Connection> x_;
    std::uint64_t referenceWindow_ = 0;
    ScreenSize startupScreen_;
    std::vector<CrtcConfig> startupCrtcs_;
    // The output whose mode was changed, while a change is in force.
    unsigned long changedOutput_ = 0;
    unsigned long changedCrtc_ = 0;
    // Started at the first change; null when it could not be started.
    std::unique_ptr<ModeGuard> guard_;
    bool guardStarted_ = false;
};

} // namespace zepo
