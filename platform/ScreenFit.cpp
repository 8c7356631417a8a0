#include "platform/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace zepo {

namespace {
// Without a screen to fit on, a window still fits in the coordinates X11 has: 16 bits.
const QRect kWholeCoordinateSpace(-32768, -32768, 65536, 65536);

int clampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}
} // namespace

QRect fitOnScreen(const SavedRect& saved, const QRect& screenArea)
{
    const QRect area = screenArea.isEmpty() ? kWholeCoordinateSpace : screenArea;
    const int width = std::clamp(saved.width, 1, area.width());
    const int height = std::clamp(saved.height, 1, area.height());
    const int titleBar = std::min(kTitleBarHeight, height);
    const int x = std::clamp(saved.x, area.left(), area.left() + area.width() - width);
    const int y = std::clamp(saved.y, area.top(), area.top() + area.height() - titleBar);
    return QRect(x, y, width, height);
}

QRect screenAreaFor(const SavedRect& saved)
{
    const QPoint titleMiddle(clampToInt(std::int64_t{saved.x} + saved.width / 2),
                             clampToInt(std::int64_t{saved.y} + kTitleBarHeight / 2));
    const QScreen* screen = QGuiApplication::screenAt(titleMiddle);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace zepo
