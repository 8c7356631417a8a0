#include "platform/XRandrCrtc.h"

#include "platform/XRandrRecords.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace zepo {

namespace {
// The resolution assumed when the server reports no physical size.
constexpr double kFallbackDpi = 96.0;
constexpr double kMillimetresPerInch = 25.4;
// The first word of a restore line.
const char kRestoreWord[] = "restore";

// The size a CRTC covers on the screen with this mode and rotation.
void coveredSize(const XRRModeInfo& mode, Rotation rotation, int& width, int& height)
{
    width = static_cast<int>(sideways(rotation) ? mode.height : mode.width);
    height = static_cast<int>(sideways(rotation) ? mode.width : mode.height);
}
} // namespace

std::optional<CrtcConfig> readCrtcConfig(Display* display, unsigned long crtc)
{
    XRandrResources resources{XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display))};
    if (!resources.r)
        return std::nullopt;
    XRandrCrtcInfo info{XRRGetCrtcInfo(display, resources.r, crtc)};
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

bool applyCrtcConfig(Display* display, const CrtcConfig& config, const ScreenSize& startupScreen, bool toStartup)
{
    const Window rootWindow = DefaultRootWindow(display);
    XRandrResources resources{XRRGetScreenResourcesCurrent(display, rootWindow)};
    if (!resources.r)
        return false;

    // The screen must hold every CRTC: as large as their union.
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
            XRandrCrtcInfo info{XRRGetCrtcInfo(display, resources.r, crtc)};
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
    if (toStartup) {
        width = std::max(width, startupScreen.width);
        height = std::max(height, startupScreen.height);
    }
    if (width <= 0 || height <= 0)
        return false;

    Window root = 0;
    int gx = 0, gy = 0;
    unsigned int screenWidth = 0, screenHeight = 0, border = 0, depth = 0;
    XGetGeometry(display, rootWindow, &root, &gx, &gy, &screenWidth, &screenHeight, &border, &depth);
    const auto millimetres = [](int pixels, int startupPixels, int startupMm) {
        if (startupPixels > 0 && startupMm > 0)
            return static_cast<int>(std::lround(static_cast<double>(pixels) * startupMm / startupPixels));
        return static_cast<int>(std::lround(pixels * kMillimetresPerInch / kFallbackDpi));
    };
    const auto setScreen = [&](int w, int h) {
        XRRSetScreenSize(display, rootWindow, w, h, millimetres(w, startupScreen.width, startupScreen.mmWidth),
                         millimetres(h, startupScreen.height, startupScreen.mmHeight));
    };

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
    return status == RRSetConfigSuccess;
}

std::string restoreLine(const ScreenSize& startupScreen, const CrtcConfig& config)
{
    std::ostringstream line;
    line << kRestoreWord << ' ' << startupScreen.width << ' ' << startupScreen.height << ' ' << startupScreen.mmWidth
         << ' ' << startupScreen.mmHeight << ' ' << config.crtc << ' ' << config.mode << ' ' << config.x << ' '
         << config.y << ' ' << config.rotation << ' ' << config.outputs.size();
    for (const unsigned long output : config.outputs)
        line << ' ' << output;
    line << '\n';
    return line.str();
}

std::optional<RestoreOrder> parseRestoreLine(const std::string& line)
{
    std::istringstream in(line);
    std::string word;
    RestoreOrder order;
    ScreenSize& s = order.startupScreen;
    CrtcConfig& c = order.config;
    std::size_t outputs = 0;
    if (!(in >> word >> s.width >> s.height >> s.mmWidth >> s.mmHeight >> c.crtc >> c.mode >> c.x >> c.y >> c.rotation
          >> outputs)
        || word != kRestoreWord)
        return std::nullopt;
    unsigned long output = 0;
    while (c.outputs.size() < outputs && in >> output)
        c.outputs.push_back(output);
    if (c.outputs.size() != outputs || (in >> word))
        return std::nullopt;
    return order;
}

} // namespace zepo
