#pragma once

#include "platform/RegularFile.h"

#include <optional>
#include <string>

namespace zepo {

// The path with links and "." and ".." resolved; nothing when it does not exist.
std::optional<std::string> canonicalPath(const std::string& path);

} // namespace zepo
