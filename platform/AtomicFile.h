#pragma once

#include "platform/FileError.h"

#include <string>
#include <string_view>

namespace zepo {

// Replaces a file's content whole, so that a crash, a kill or a full disk leaves the old
// file or the new one, never a torn one: the bytes go to a temporary file in the same
// folder, which is written in full, flushed to disk and renamed over the file; then the
// folder is flushed, so that the rename itself survives a power failure.
//
// A link is followed: its target gets the new content and the link stays a link. The
// file keeps its permissions (and its owner, where the process may set it); a new file
// gets the usual ones under the umask. The temporary file is closed on exec, so that no
// program started meanwhile holds it.
//
// Refused, with the file untouched: a file that may not be written (this process has no
// write permission, or nobody has: the user made it read-only), and anything that is not
// a regular file. Done, or why not, and then the old file is as it was.
FileResult<void> replaceFileAtomically(const std::string& path, std::string_view bytes);

// Removes the temporary files that the writer of a process that has ended left in a
// folder (a kill in the middle of a save). For the start of the program: a temporary of
// the process's own number is taken to be an earlier process's.
void removeStaleTemporaries(const std::string& folder);

} // namespace zepo
