#include "platform/XRandrDisplayModes.h"

#include "platform/X11Connection.h"
#include "platform/X11ExitSignals.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zepo {

namespace {
// The instance whose changes the exit paths undo; one per process, UI thread only.
XRandrDisplayModes* g_live = nullptr;
// The resolution assumed when the server reports no physical size.
constexpr double kFallbackDpi = 96.0;
constexpr double kMillimetresPerInch = 25.4;
// The bits per pixel of the common 24-bit depth when the server lists no formats.
constexpr int kFallbackBitsPerPixel = 32;

// Frees Xlib's XRandR records when a scope ends.
struct Resources {
    XRRScreenResources* r;
    ~Resources()
    {
        if (r)
            XRRFreeScreenResources(r);
    }
};
struct OutputInfo {
    XRROutputInfo* o;
    ~OutputInfo()
    {
        if (o)
            XRRFreeOutputInfo(o);
    }
};
struct CrtcInfo {
    XRRCrtcInfo* c;
    ~CrtcInfo()
    {
        if (c)
            XRRFreeCrtcInfo(c);
    }
};

const XRRModeInfo* findMode(const XRRScreenResources* resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    return nullptr;
}

bool sideways(Rotation rotation)
{
    return rotation & (RR_Rotate_90 | RR_Rotate_270);
}

// The size a CRTC covers on the screen with this mode and rotation.
void coveredSize(const XRRModeInfo& mode, Rotation rotation, int& width, int& height)
{
    width = static_cast<int>(sideways(rotation) ? mode.height : mode.width);
    height = static_cast<int>(sideways(rotation) ? mode.width : mode.height);
}
} // namespace

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
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (resources.r) {
        for (int i = 0; i < resources.r->ncrtc; ++i)
            if (std::optional<CrtcConfig> config = crtcConfig(resources.r->crtcs[i]))
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

std::optional<XRandrDisplayModes::CrtcConfig> XRandrDisplayModes::crtcConfig(unsigned long crtc)
{
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return std::nullopt;
    CrtcInfo info{XRRGetCrtcInfo(display, resources.r, crtc)};
    if (!info.c)
        return std::nullopt;
    CrtcConfig config;
    config.crtc = crtc;
    config.mode = info.c->mode;
    config.x = info.c->x;
    config.y = info.c->y;
    config.rotation = info.c->rotation;
    config.outputs.assign(info.c->outputs, info.c->outputs + info.c->noutput);
    return config;
}

unsigned long XRandrDisplayModes::outputOfInterest()
{
    if (changedOutput_ != 0)
        return changedOutput_;
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
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
                CrtcInfo crtc{XRRGetCrtcInfo(display, resources.r, resources.r->crtcs[i])};
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
        OutputInfo info{XRRGetOutputInfo(display, resources.r, primary)};
        if (info.o && info.o->crtc != 0)
            return primary;
    }
    for (int i = 0; i < resources.r->noutput; ++i) {
        OutputInfo info{XRRGetOutputInfo(display, resources.r, resources.r->outputs[i])};
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
    Resources resources{XRRGetScreenResourcesCurrent(x_->display(), x_->root())};
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

std::optional<DisplayMode> XRandrDisplayModes::current()
{
    const unsigned long output = outputOfInterest();
    if (output == 0)
        return std::nullopt;
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return std::nullopt;
    OutputInfo info{XRRGetOutputInfo(display, resources.r, output)};
    if (!info.o || info.o->crtc == 0)
        return std::nullopt;
    CrtcInfo crtc{XRRGetCrtcInfo(display, resources.r, info.o->crtc)};
    if (!crtc.c || crtc.c->mode == 0)
        return std::nullopt;
    std::optional<DisplayMode> mode = describe(crtc.c->mode);
    if (mode && sideways(crtc.c->rotation))
        std::swap(mode->width, mode->height);
    return mode;
}

std::optional<DisplayMode> XRandrDisplayModes::mode(int number)
{
    const unsigned long output = outputOfInterest();
    if (output == 0 || number < 0)
        return std::nullopt;
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return std::nullopt;
    OutputInfo info{XRRGetOutputInfo(display, resources.r, output)};
    if (!info.o || number >= info.o->nmode)
        return std::nullopt;
    return describe(info.o->modes[number]);
}

DisplayModes::ChangeResult XRandrDisplayModes::change(const DisplayMode& wanted)
{
    const unsigned long output = outputOfInterest();
    if (output == 0)
        return ChangeResult::Failed;
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return ChangeResult::Failed;
    OutputInfo info{XRRGetOutputInfo(display, resources.r, output)};
    if (!info.o || info.o->crtc == 0)
        return ChangeResult::Failed;

    // Width and height are what is asked for; among the output's modes of that size the
    // one with the same refresh rate is taken when there is one, else the first.
    RRMode chosen = 0;
    for (int i = 0; i < info.o->nmode; ++i) {
        const std::optional<DisplayMode> candidate = describe(info.o->modes[i]);
        if (!candidate || candidate->width != wanted.width || candidate->height != wanted.height)
            continue;
        if (chosen == 0 || candidate->refreshHz == wanted.refreshHz) {
            chosen = info.o->modes[i];
            if (candidate->refreshHz == wanted.refreshHz)
                break;
        }
    }
    if (chosen == 0)
        return ChangeResult::Failed;

    std::optional<CrtcConfig> config = crtcConfig(info.o->crtc);
    if (!config)
        return ChangeResult::Failed;
    if (config->mode == chosen)
        return ChangeResult::Successful;
    config->mode = chosen;
    if (!apply(*config))
        return ChangeResult::Failed;
    if (changedCrtc_ == 0) {
        changedCrtc_ = info.o->crtc;
        changedOutput_ = output;
    }
    return ChangeResult::Successful;
}

void XRandrDisplayModes::restoreStartupMode()
{
    if (changedCrtc_ == 0)
        return;
    for (const CrtcConfig& config : startupCrtcs_)
        if (config.crtc == changedCrtc_)
            apply(config);
    changedCrtc_ = 0;
    changedOutput_ = 0;
}

bool XRandrDisplayModes::apply(const CrtcConfig& config)
{
    Display* display = x_->display();
    Resources resources{XRRGetScreenResourcesCurrent(display, x_->root())};
    if (!resources.r)
        return false;

    // The screen must hold every CRTC: as large as their union, and never smaller than
    // the start-up screen when going back to the start-up configuration.
    int width = 0, height = 0;
    for (int i = 0; i < resources.r->ncrtc; ++i) {
        const RRCrtc crtc = resources.r->crtcs[i];
        RRMode modeId = 0;
        int x = 0, y = 0;
        Rotation rotation = RR_Rotate_0;
        if (crtc == config.crtc) {
            modeId = config.mode;
            x = config.x;
            y = config.y;
            rotation = config.rotation;
        } else {
            CrtcInfo info{XRRGetCrtcInfo(display, resources.r, crtc)};
            if (!info.c)
                continue;
            modeId = info.c->mode;
            x = info.c->x;
            y = info.c->y;
            rotation = info.c->rotation;
        }
        const XRRModeInfo* mode = modeId ? findMode(resources.r, modeId) : nullptr;
        if (!mode)
            continue;
        int w = 0, h = 0;
        coveredSize(*mode, rotation, w, h);
        width = std::max(width, x + w);
        height = std::max(height, y + h);
    }
    const bool toStartup = std::any_of(startupCrtcs_.begin(), startupCrtcs_.end(), [&](const CrtcConfig& c) {
        return c.crtc == config.crtc && c.mode == config.mode;
    });
    if (toStartup) {
        width = std::max(width, startupScreen_.width);
        height = std::max(height, startupScreen_.height);
    }
    if (width <= 0 || height <= 0)
        return false;

    Window root = 0;
    int gx = 0, gy = 0;
    unsigned int screenWidth = 0, screenHeight = 0, border = 0, depth = 0;
    XGetGeometry(display, x_->root(), &root, &gx, &gy, &screenWidth, &screenHeight, &border, &depth);
    const auto millimetres = [this](int pixels, int startupPixels, int startupMm) {
        if (startupPixels > 0 && startupMm > 0)
            return static_cast<int>(std::lround(static_cast<double>(pixels) * startupMm / startupPixels));
        return static_cast<int>(std::lround(pixels * kMillimetresPerInch / kFallbackDpi));
    };
    const auto setScreen = [&](int w, int h) {
        XRRSetScreenSize(display, x_->root(), w, h, millimetres(w, startupScreen_.width, startupScreen_.mmWidth),
                         millimetres(h, startupScreen_.height, startupScreen_.mmHeight));
    };

    X11Connection::ErrorTrap trap(*x_);
    XGrabServer(display);
    // Grow first so the CRTC fits, set the CRTC, then shrink to what it needs.
    const int grownWidth = std::max(width, static_cast<int>(screenWidth));
    const int grownHeight = std::max(height, static_cast<int>(screenHeight));
    if (grownWidth != static_cast<int>(screenWidth) || grownHeight != static_cast<int>(screenHeight))
        setScreen(grownWidth, grownHeight);
    std::vector<RROutput> outputs(config.outputs.begin(), config.outputs.end());
    const Status status = XRRSetCrtcConfig(display, resources.r, config.crtc, CurrentTime, config.x, config.y,
                                           config.mode, config.rotation, outputs.data(),
                                           static_cast<int>(outputs.size()));
    if (status == RRSetConfigSuccess && (width != grownWidth || height != grownHeight))
        setScreen(width, height);
    XUngrabServer(display);
    return status == RRSetConfigSuccess && !trap.failed();
}

} // namespace zepo
