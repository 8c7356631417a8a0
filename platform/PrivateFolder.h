#pragma once

#include "platform/FileError.h"

#include <string>

namespace zepo {

// A folder that only this user can reach: a real folder (not a link to one), owned by
// the user, with no access for the group or others. Files in it cannot be created,
// replaced or read by anyone else, which is what a name that must not be squatted needs.

// Whether `folder` is private as above, or what is wrong with it.
FileResult<void> checkPrivateFolder(const std::string& folder);

// The user's runtime folder, $XDG_RUNTIME_DIR, when it is set and private; otherwise
// "zepo-<uid>" in $TMPDIR (else /tmp), made when missing and used only when it is
// private. The folder without a trailing "/", or why there is none. A runtime folder
// that is set but not private is reported through the log.
FileResult<std::string> privateRuntimeFolder();

} // namespace zepo
