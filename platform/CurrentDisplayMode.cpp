#include "platform/CurrentDisplayMode.h"

#include <QGuiApplication>
#include <QScreen>

namespace zepo {

namespace {
// A 24-bit colour screen stores a pixel in 32 bits, and the display modes count that.
constexpr int kTrueColourDepth = 24;
constexpr int kTrueColourBits = 32;
} // namespace

std::optional<ScreenMeasure> primaryScreenMeasure()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return ScreenMeasure{(QSizeF(screen->size()) * screen->devicePixelRatio()).toSize(), screen->depth()};
}

DisplayMode currentDisplayMode(DisplayModes& modes, const std::optional<ScreenMeasure>& screen)
{
    DisplayMode mode = modes.current().value_or(DisplayMode{});
    if ((mode.width != 0 && mode.height != 0 && mode.bitsPerPixel != 0) || !screen)
        return mode;
    mode.width = screen->pixels.width();
    mode.height = screen->pixels.height();
    mode.bitsPerPixel = screen->depth == kTrueColourDepth ? kTrueColourBits : screen->depth;
    return mode;
}

DisplayMode currentDisplayMode(DisplayModes& modes)
{
    return currentDisplayMode(modes, primaryScreenMeasure());
}

} // namespace zepo
