#include "platform/DefaultDisplayMode.h"

namespace zepo {

namespace {
// The size every movie of the time was made for.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
} // namespace

std::optional<int> defaultFullScreenMode(DisplayModes& modes, const DisplayMode& current)
{
    std::optional<int> candidate;
    for (int number = 0;; ++number) {
        const std::optional<DisplayMode> mode = modes.mode(number);
        if (!mode)
            return candidate;
        if (mode->width != kDefaultWidth || mode->height != kDefaultHeight || mode->bitsPerPixel != current.bitsPerPixel)
            continue;
        candidate = number;
        if (mode->refreshHz == current.refreshHz)
            return candidate;
    }
}

} // namespace zepo
