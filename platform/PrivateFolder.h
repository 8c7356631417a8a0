#pragma once

#include <optional>
#include <string>
#include <variant>

namespace zepo {

// A folder that only this user can reach: a real folder (not a link to one), owned by
// the user, with no access for the group or others. Files in it cannot be created,
// replaced or read by anyone else, which is what a name that must not be squatted needs.

// Nothing when `folder` is private as above; otherwise one line for the log saying what
// is wrong with it.
std::optional<std::string> privateFolderProblem(const std::string& folder);

// The user's runtime folder, $XDG_RUNTIME_DIR, when it is set and private; otherwise
// "zepo-<uid>" in $TMPDIR (else /tmp), made when missing and used only when it is
// private. The folder without a trailing "/", or why there is none (one line). A runtime
// folder that is set but not private is reported through the log.
struct PrivateFolderProblem {
    std::string text;
};
std::variant<std::string, PrivateFolderProblem> privateRuntimeFolder();

} // namespace zepo
