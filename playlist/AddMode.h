#pragma once

namespace zepo {

// How paths go into the list. For one path (AddPath, AddFolder): Replace empties the list
// just before the first FLV file that the path adds. For a list of paths (AddFiles):
// Replace lets only the first path replace, every other one appends.
enum class AddMode { Replace, Append };

} // namespace zepo
