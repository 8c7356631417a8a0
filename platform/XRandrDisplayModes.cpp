#include "platform/XRandrDisplayModes.h"

#include "platform/ModeGuard.h"
#include "platform/X11Connection.h"
#include "platform/X11ExitSignals.h"
#include "platform/XRandrRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zepo {

namespace {
// The instance whose changes the exit paths undo; one per process, UI thread only.
XRandrDisplayModes* g_live = nullptr;
// The bits per pixel of the common 24-bit depth when the server lists no formats.
constexpr int kFallbackBitsPerPixel = 32;
} // namespace

// The output of interest with the screen resources its description was read from; held
// for one call.
struct XRandrDisplayModes::OutputView {
    unsigned long output = 0;
    XRandrResources resources{nullptr};
    XRandrOutputInfo info{nullptr};
};

std::unique_ptr<XRandrDisplayModes> XRandrDisplayModes::create(std::shared_ptr<X11Connection> connection)
{
    if (!connection)
        return nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    Display* display = connection->display();
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor)
        || major < 1 || (major == 1 && minor < 2))
        return nullptr;
    return std::unique_ptr<XRandrDisplayModes>(new XRandrDisplayModes(std::move(connection)));
}

XRandrDisplayModes::XRandrDisplayModes(std::shared_ptr<X11Connection> connection) : x_(std::move(connection))
{
    Display* display = x_->display();
    const int screen = DefaultScreen(display);
    startupScreen_ = {DisplayWidth(display, screen), DisplayHeight(display, screen), DisplayWidthMM(display, screen),
                      DisplayHeightMM(display, screen)};
    XRandrResources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (resources.r) {
        for (int i = 0; i < resources.r->ncrtc; ++i)
            if (std::optional<CrtcConfig> config = readCrtcConfig(display, resources.r->crtcs[i]))
                startupCrtcs_.push_back(*config);
    }
    g_live = this;
    static const bool registered = [] {
        std::atexit(&XRandrDisplayModes::restoreAtExit);
        restoreOnTerminationSignals(&XRandrDisplayModes::restoreAtExit);
        return true;
    }();
    (void)registered;
}

XRandrDisplayModes::~XRandrDisplayModes()
{
    restoreStartupMode();
    if (g_live == this)
        g_live = nullptr;
}

void XRandrDisplayModes::restoreAtExit()
{
    if (g_live)
        g_live->restoreStartupMode();
}

unsigned long XRandrDisplayModes::outputOfInterest()
{
    if (changedOutput_ != 0)
        return changedOutput_;
    Display* display = x_->display();
    XRandrResources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return 0;

    if (referenceWindow_ != 0) {
        X11Connection::ErrorTrap trap(*x_);
        XWindowAttributes attributes{};
        int x = 0, y = 0;
        Window child = 0;
        if (XGetWindowAttributes(display, referenceWindow_, &attributes)
            && XTranslateCoordinates(display, referenceWindow_, x_->root(), attributes.width / 2,
                                     attributes.height / 2, &x, &y, &child)
            && !trap.failed()) {
            for (int i = 0; i < resources.r->ncrtc; ++i) {
                XRandrCrtcInfo crtc{XRRGetCrtcInfo(display, resources.r, resources.r->crtcs[i])};
                if (!crtc.c || crtc.c->mode == 0 || crtc.c->noutput == 0)
                    continue;
                if (x >= crtc.c->x && x < crtc.c->x + static_cast<int>(crtc.c->width) && y >= crtc.c->y
                    && y < crtc.c->y + static_cast<int>(crtc.c->height))
                    return crtc.c->outputs[0];
            }
        }
    }

    const RROutput primary = XRRGetOutputPrimary(display, x_->root());
    if (primary != 0) {
        XRandrOutputInfo info{XRRGetOutputInfo(display, resources.r, primary)};
        if (info.o && info.o->crtc != 0)
            return primary;
    }
    for (int i = 0; i < resources.r->noutput; ++i) {
        XRandrOutputInfo info{XRRGetOutputInfo(display, resources.r, resources.r->outputs[i])};
        if (info.o && info.o->crtc != 0 && info.o->connection == RR_Connected)
            return resources.r->outputs[i];
    }
    return 0;
}

int XRandrDisplayModes::bitsPerPixel()
{
    Display* display = x_->display();
    const int depth = DefaultDepth(display, DefaultScreen(display));
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; formats && i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    if (formats)
        XFree(formats);
    return bits != 0 ? bits : kFallbackBitsPerPixel;
}

std::optional<DisplayMode> XRandrDisplayModes::describe(unsigned long modeId)
{
    XRandrResources resources{XRRGetScreenResourcesCurrent(x_->display(), x_->root())};
    if (!resources.r)
        return std::nullopt;
    const XRRModeInfo* info = findMode(resources.r, modeId);
    if (!info)
        return std::nullopt;
    DisplayMode mode;
    mode.width = static_cast<int>(info->width);
    mode.height = static_cast<int>(info->height);
    mode.bitsPerPixel = bitsPerPixel();
    const double dots = static_cast<double>(info->hTotal) * info->vTotal;
    mode.refreshHz = dots > 0 ? static_cast<int>(std::lround(info->dotClock / dots)) : 0;
    return mode;
}

std::unique_ptr<XRandrDisplayModes::OutputView> XRandrDisplayModes::viewOutput()
{
    const unsigned long output = outputOfInterest();
    if (output == 0)
        return nullptr;
    Display* display = x_->display();
    auto view = std::make_unique<OutputView>();
    view->output = output;
    view->resources.r = XRRGetScreenResourcesCurrent(display, x_->root());
    if (!view->resources.r)
        return nullptr;
    view->info.o = XRRGetOutputInfo(display, view->resources.r, output);
    if (!view->info.o)
        return nullptr;
    return view;
}

std::optional<DisplayMode> XRandrDisplayModes::current()
{
    const std::unique_ptr<OutputView> view = viewOutput();
    if (!view || view->info.o->crtc == 0)
        return std::nullopt;
    XRandrCrtcInfo crtc{XRRGetCrtcInfo(x_->display(), view->resources.r, view->info.o->crtc)};
    if (!crtc.c || crtc.c->mode == 0)
        return std::nullopt;
    std::optional<DisplayMode> mode = describe(crtc.c->mode);
    if (mode && sideways(crtc.c->rotation))
        std::swap(mode->width, mode->height);
    return mode;
}

std::optional<DisplayMode> XRandrDisplayModes::mode(int number)
{
    if (number < 0)
        return std::nullopt;
    const std::unique_ptr<OutputView> view = viewOutput();
    if (!view || number >= view->info.o->nmode)
        return std::nullopt;
    return describe(view->info.o->modes[number]);
}

DisplayModes::ChangeResult XRandrDisplayModes::change(const DisplayMode& wanted)
{
    const std::unique_ptr<OutputView> view = viewOutput();
    if (!view || view->info.o->crtc == 0)
        return ChangeResult::Failed;
    const XRROutputInfo& info = *view->info.o;

    // Width and height are what is asked for; among the output's modes of that size the
    // one with the same refresh rate is taken when there is one, else the first.
    RRMode chosen = 0;
    for (int i = 0; i < info.nmode; ++i) {
        const std::optional<DisplayMode> candidate = describe(info.modes[i]);
        if (!candidate || candidate->width != wanted.width || candidate->height != wanted.height)
            continue;
        if (chosen == 0 || candidate->refreshHz == wanted.refreshHz) {
            chosen = info.modes[i];
            if (candidate->refreshHz == wanted.refreshHz)
                break;
        }
    }
    if (chosen == 0)
        return ChangeResult::Failed;

    std::optional<CrtcConfig> config = readCrtcConfig(x_->display(), info.crtc);
    if (!config)
        return ChangeResult::Failed;
    if (config->mode == chosen)
        return ChangeResult::Successful;
    config->mode = chosen;
    // Whoever restores the mode if we end now knows it before the mode changes.
    const CrtcConfig* startup = changedCrtc_ == 0 ? startupConfig(info.crtc) : nullptr;
    if (startup)
        holdForRestore(*startup);
    if (!apply(*config)) {
        if (startup)
            nothingToRestore();
        return ChangeResult::Failed;
    }
    if (changedCrtc_ == 0) {
        changedCrtc_ = info.crtc;
        changedOutput_ = view->output;
    }
    return ChangeResult::Successful;
}

void XRandrDisplayModes::restoreStartupMode()
{
    if (changedCrtc_ == 0)
        return;
    const CrtcConfig* startup = startupConfig(changedCrtc_);
    changedCrtc_ = 0;
    changedOutput_ = 0;
    // When the server refuses, the guard tries again once we are gone.
    if (startup && apply(*startup))
        nothingToRestore();
}

const CrtcConfig* XRandrDisplayModes::startupConfig(unsigned long crtc) const
{
    for (const CrtcConfig& config : startupCrtcs_)
        if (config.crtc == crtc)
            return &config;
    return nullptr;
}

bool XRandrDisplayModes::apply(const CrtcConfig& config)
{
    const bool toStartup = std::any_of(startupCrtcs_.begin(), startupCrtcs_.end(), [&](const CrtcConfig& c) {
        return c.crtc == config.crtc && c.mode == config.mode;
    });
    X11Connection::ErrorTrap trap(*x_);
    const bool applied = applyCrtcConfig(x_->display(), config, startupScreen_, toStartup);
    return !trap.failed() && applied;
}

void XRandrDisplayModes::holdForRestore(const CrtcConfig& startup)
{
    if (!guardStarted_) {
        guardStarted_ = true;
        guard_ = ModeGuard::start(DisplayString(x_->display()));
    }
    if (guard_ && !guard_->restoreOnEnd(restoreLine(startupScreen_, startup)))
        guard_.reset();
    // Without a guard the process must restore the mode itself before a signal ends it.
    setRestoreNeeded(!guard_);
}

void XRandrDisplayModes::nothingToRestore()
{
    if (guard_ && !guard_->nothingToRestore())
        guard_.reset();
    setRestoreNeeded(false);
}

} // namespace zepo
