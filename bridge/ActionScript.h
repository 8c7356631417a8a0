#pragma once

#include <string>

namespace zepo::as {

// Number to text as the movie runtime prints it: whole numbers without a point
// (320 -> "320"), others with up to 15 significant digits (68.5 -> "68.5"), "NaN",
// "Infinity", "-Infinity".
std::string formatNumber(double value);

// Text to number as the runtime converts it: surrounding white space ignored, a decimal
// (or 0x hex) number taken whole, anything else NaN; empty text is NaN.
double toNumber(const std::string& text);

} // namespace zepo::as
