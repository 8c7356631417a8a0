#pragma once

#include <cstdint>

namespace zepo {

// The load retry of the player and probe movies: a file whose stream has not started is
// opened again this often.
inline constexpr int kLoadRetryMs = 500;
// How long the retry waits for a file to open before the file is given up. Ten attempts:
// enough for a file that is still being created (a download starting, a disk waking up),
// short enough that a file that has gone away is not left standing at 00:00 for longer
// than a user would wait for a video to begin. Both movies give up together, so neither
// keeps opening a file the other has let go.
inline constexpr std::int64_t kLoadGiveUpMs = 5000;

} // namespace zepo
