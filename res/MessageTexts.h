#pragma once

namespace zepo {

// The message-box texts that more than one window shows.

// A path that cannot be found or opened; the path follows on the next line.
inline constexpr char kFileNotFoundText[] = "ファイル取得失敗 ：\n";
// The display modes cannot be told, or none is 640 x 480 at the current depth.
inline constexpr char kNoDisplayModeText[] = "画面モード取得失敗";

} // namespace zepo
