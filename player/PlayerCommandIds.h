#pragma once

namespace zepo {

// The player window's command ids: the menu items carry them, the shortcut and mouse
// rules call their handlers, and the string resource of the same id names each one.
namespace cmd {
inline constexpr int FullScreen = 102;
inline constexpr int TopMost = 103;
inline constexpr int PlayList = 104;
inline constexpr int Rewind = 105;
inline constexpr int FastForward = 106;
inline constexpr int PrevFile = 107;
inline constexpr int NextFile = 108;
inline constexpr int Pause = 109;
inline constexpr int Play = 110;
inline constexpr int Stop = 111;
inline constexpr int Repeat = 112;
inline constexpr int AspectChooser = 113;
inline constexpr int FixPanel = 114;
inline constexpr int VolumeUp = 115;
inline constexpr int VolumeDown = 116;
inline constexpr int Settings = 117;
inline constexpr int AspectDialog = 118;
inline constexpr int About = 57664;
} // namespace cmd

} // namespace zepo
