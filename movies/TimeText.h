#pragma once

#include <string>

namespace zepo {

// A time in seconds as the panel shows it: "mm:ss", each part with a leading zero below
// 10, minutes unbounded (6000 s -> "100:00"; there is no hour field). A negative or
// non-numeric time shows as "00:00".
std::string formatClock(double seconds);

} // namespace zepo
