#pragma once

#include <string>
#include <string_view>

namespace zepo {

// The parts of a path, split at its last "/".

// Folder part with its trailing "/" ("/a/b/c" -> "/a/b/"; "c" -> "").
std::string folderOf(const std::string& path);

// Name and extension: everything after the last "/" ("/a/b.flv" -> "b.flv"; "b.flv" ->
// "b.flv"). A view into `path`.
std::string_view fileNameOf(std::string_view path);

} // namespace zepo
