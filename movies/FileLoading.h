#pragma once

#include <cstdint>

namespace zepo {

// How the player and probe movies load a file: both open the same file on streams of their
// own and must agree on all of this.

// The stream reads this far ahead of what is shown; the probe's search starts once that
// much is in.
inline constexpr double kBufferSeconds = 10;
// The frame size a file is taken to have until its metadata says otherwise.
inline constexpr double kAssumedFrameWidth = 320;
inline constexpr double kAssumedFrameHeight = 240;

// The load retry: a file whose stream has not started is opened again this often.
inline constexpr int kLoadRetryMs = 500;
// How long the retry waits for a file to open before the file is given up. Ten attempts:
// enough for a file that is still being created (a download starting, a disk waking up),
// short enough that a file that has gone away is not left standing at 00:00 for longer
// than a user would wait for a video to begin. Both movies give up together, so neither
// keeps opening a file the other has let go.
inline constexpr std::int64_t kLoadGiveUpMs = 5000;

} // namespace zepo
