#include "player/DisplayModeChoice.h"

#include <charconv>

namespace zepo {

namespace {
// "%f": six digits after the decimal point, and always a point, whatever the locale.
constexpr int kFactorDigits = 6;

std::string fixedText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, kFactorDigits);
    return std::string(buffer, result.ptr);
}
} // namespace

std::optional<ModeCorrection> correctionFor(const DisplayMode& current, const DisplayMode& target)
{
    if (current.width <= 0 || current.height <= 0)
        return std::nullopt;
    const double rw = static_cast<double>(target.width) / current.width;
    const double rh = static_cast<double>(target.height) / current.height;
    if (rw > rh)
        return ModeCorrection{"FullScreenAdjust_h", fixedText(rh / rw)};
    if (rh <= 0)
        return std::nullopt;
    return ModeCorrection{"FullScreenAdjust_w", fixedText(rw / rh)};
}

} // namespace zepo
