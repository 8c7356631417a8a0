#pragma once

#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace zepo {

// What XRandR sets on one CRTC: its mode, place, rotation and outputs. Plain Xlib, so that
// the mode guard, a program of its own without the toolkit, can put one back.
struct CrtcConfig {
    unsigned long crtc = 0;
    unsigned long mode = 0;
    int x = 0;
    int y = 0;
    unsigned short rotation = 1;
    std::vector<unsigned long> outputs;
    bool operator==(const CrtcConfig&) const = default;
};

// The screen's size in pixels and millimetres.
struct ScreenSize {
    int width = 0, height = 0, mmWidth = 0, mmHeight = 0;
    bool operator==(const ScreenSize&) const = default;
};

// A CRTC's configuration now, or nothing when the server does not tell it.
std::optional<CrtcConfig> readCrtcConfig(Display* display, unsigned long crtc);

// Applies one CRTC's configuration and sizes the screen to hold every CRTC; when going
// back to the start-up configuration, the screen is never smaller than it was at start.
// The physical size follows the start-up screen's pixels per millimetre. False when the
// server refused; its errors go to the display's error handler.
bool applyCrtcConfig(Display* display, const CrtcConfig& config, const ScreenSize& startupScreen,
                     bool toStartup);

// The start-up configuration to put back, as the line the mode guard is told, and back.
std::string restoreLine(const ScreenSize& startupScreen, const CrtcConfig& config);
struct RestoreOrder {
    ScreenSize startupScreen;
    CrtcConfig config;
};
std::optional<RestoreOrder> parseRestoreLine(const std::string& line);

} // namespace zepo
