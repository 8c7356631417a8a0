#pragma once

#include <optional>
#include <string>

namespace zepo {

// The running executable's real path (links resolved), or nothing when the system does
// not tell it.
std::optional<std::string> executablePath();

} // namespace zepo
