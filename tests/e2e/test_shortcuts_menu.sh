#!/usr/bin/env bash
# Keyboard shortcuts and the context menu, driven by xdotool, reach their commands:
# topmost (the window manager's "above" state), the playlist window, full screen; Enter
# and Escape never close the player.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

# Full screen here keeps the display mode: Xvfb has only the one.
printf '[Setting]\r\nChangeResolution=0\r\n' >"$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_managed_window ZEPO)

playlist_shown() { xdotool search --onlyvisible --name '^ZEPO - プレイリスト$' >/dev/null 2>&1; }
playlist_hidden() { ! playlist_shown; }
above() { e2e_has_state "$player" _NET_WM_STATE_ABOVE; }
not_above() { ! above; }
full_screen() { e2e_has_state "$player" _NET_WM_STATE_FULLSCREEN; }
windowed() { ! full_screen; }
# Keys go where a user's would: to the window that has the keyboard focus.
press() {
  e2e_focus "$player"
  xdotool key "$@"
}

press ctrl+f
e2e_until 10 above || e2e_fail "Ctrl+F did not keep the player on top"
press ctrl+f
e2e_until 10 not_above || e2e_fail "Ctrl+F again did not release it"

press ctrl+space
e2e_until 10 playlist_shown || e2e_fail "Ctrl+Space did not show the playlist"
press ctrl+space
e2e_until 10 playlist_hidden || e2e_fail "Ctrl+Space again did not hide the playlist (active: $(xdotool getactivewindow getwindowname))"
# Space alone does nothing: once Ctrl+F, pressed after it, has acted, Space has been
# handled too.
press space ctrl+f
e2e_until 10 above || e2e_fail "Ctrl+F after Space did not keep the player on top"
playlist_hidden || e2e_fail "Space without Ctrl showed the playlist"
press ctrl+f
e2e_until 10 not_above || e2e_fail "Ctrl+F again did not release it"

press Return Escape KP_Enter ctrl+f
e2e_until 10 above || e2e_fail "Ctrl+F after Enter and Escape did not keep the player on top"
kill -0 "$E2E_ZEPO_PID" 2>/dev/null || e2e_fail "Enter or Escape ended the player"
xdotool search --onlyvisible --name '^ZEPO$' >/dev/null || e2e_fail "Enter or Escape closed the player window"
press ctrl+f
e2e_until 10 not_above || e2e_fail "Ctrl+F again did not release it"

press alt+Return
e2e_until 10 full_screen || e2e_fail "Alt+Enter did not enter full screen"
press Escape
e2e_until 10 windowed || e2e_fail "Escape did not leave full screen"

e2e_choose_from_menu "$player" 2 # 最前面固定
e2e_until 10 above || e2e_fail "the menu's topmost item did not keep the player on top"
e2e_choose_from_menu "$player" 4 # プレイリスト
e2e_until 10 playlist_shown || e2e_fail "the menu's playlist item did not show the playlist"
e2e_choose_from_menu "$player" 1 # フルスクリーン
e2e_until 10 full_screen || e2e_fail "the menu's full-screen item did not enter full screen"
# The playlist hides meanwhile and comes back.
playlist_hidden || e2e_fail "the playlist stayed visible in full screen"
e2e_choose_from_menu "$player" 1
e2e_until 10 windowed || e2e_fail "the menu's full-screen item did not leave full screen"
e2e_until 10 playlist_shown || e2e_fail "the playlist did not come back after full screen"
echo "PASS"
