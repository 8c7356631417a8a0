#pragma once

#include <optional>
#include <string>

namespace zepo {

// The running executable's real path (links resolved), or nothing when the system does
// not tell it.
std::optional<std::string> executablePath();

// Folder part of a path, with its trailing "/" ("/a/b/c" -> "/a/b/"; "c" -> "").
std::string folderOf(const std::string& path);

} // namespace zepo
