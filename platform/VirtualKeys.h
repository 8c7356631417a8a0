#pragma once

namespace zepo {

// Windows virtual-key codes, so the shortcut tables keep the codes they are written in.
namespace vk {
inline constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12,
                     Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24,
                     Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D, Delete = 0x2E,
                     F1 = 0x70;
}

// Maps a Qt key (Qt::Key) to its virtual-key code; 0 for keys without one.
int virtualKeyFromQt(int qtKey);

} // namespace zepo
