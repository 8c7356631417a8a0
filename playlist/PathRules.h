#pragma once

#include <string>

namespace zepo {

// Drops one pair of enclosing double quotes: a path of at least two bytes whose first
// and last bytes are both '"' loses those two bytes; nothing else is touched.
std::string stripEnclosingQuotes(const std::string& path);

enum class PathKind { Missing, Folder, File };
// What a path names (relative paths against the process's current folder).
PathKind pathKind(const std::string& path);

// The message for a path that cannot be found.
std::string missingPathMessage(const std::string& path);

// A path as written in a file, taken relative to the folder that file lies in: an
// absolute path stays as it is; "./" at its start is dropped and "." alone is the folder
// itself. A file given without a folder ("list.zepo") leaves relative paths relative.
std::string resolveBesideFile(const std::string& file, const std::string& path);

} // namespace zepo
