#!/usr/bin/env bash
# The real binary under a real X server and window manager: the first start opens a
# 320 x 270 window titled "ZEPO" in the middle of the screen with a hidden playlist
# window; closing writes setting.ini beside the binary; the next start comes back at the
# saved place and size, and Restore=0 ignores it.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

# e2e_size_is WINDOW W H: the window's outer size is W x H.
e2e_size_is() {
  local x y w h
  read -r x y w h < <(e2e_frame_geometry "$1")
  [ "$w $h" = "$2 $3" ]
}
# The window has its frame: the window manager has managed it (with no window manager,
# a window on show is all there is).
framed() {
  case $E2E_WM in
    none) xwininfo -id "$1" | grep -q IsViewable ;;
    i3) xprop -id "$1" WM_STATE | grep -q Normal ;;
    *) xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '=' ;;
  esac
}

e2e_launch
player=$(e2e_wait_window "ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
e2e_until 10 framed "$player" || e2e_fail "the player window was never framed"
e2e_until 10 e2e_size_is "$player" 320 270 || e2e_fail "first start size $(e2e_frame_geometry "$player"), want 320x270"
read -r x y w h < <(e2e_frame_geometry "$player")
echo "first start: $x $y $w $h"
cx=$(( x + w / 2 )); cy=$(( y + h / 2 ))
[ $(( cx - 640 )) -le 2 ] && [ $(( 640 - cx )) -le 2 ] || e2e_fail "not centred horizontally: centre x $cx"
[ $(( cy - 512 )) -le 30 ] && [ $(( 512 - cy )) -le 30 ] || e2e_fail "not centred vertically: centre y $cy"
xwininfo -id "$list" | grep -q 'IsUnMapped\|IsUnviewable' || e2e_fail "the playlist window is visible at first start"
e2e_screenshot "$E2E_DIR/first.png"

# Move and resize the player as a user would, then close it.
e2e_move_frame "$player" 100 120
e2e_until 10 e2e_frame_at "$player" 100 120 || e2e_fail "the player did not move to 100 120: $(e2e_frame_geometry "$player")"
before=$(e2e_frame_geometry "$player")
if [ "$E2E_WM" = none ]; then xdotool windowsize "$player" 500 400; else wmctrl -i -r "$player" -e "1,-1,-1,500,400"; fi
e2e_until 10 eval '[ "$(e2e_frame_geometry "$player")" != "$before" ]' || e2e_fail "the player was not resized"
read -r x y w h < <(e2e_frame_geometry "$player")
echo "moved to: $x $y $w $h"
e2e_close_window "$player"
e2e_wait_exit
[ -f "$E2E_DIR/bin/setting.ini" ] || e2e_fail "no setting.ini beside the binary"
keys=$(tr -d '\r' < "$E2E_DIR/bin/setting.ini" | cut -d= -f1 | tr '\n' ' ')
[ "$keys" = "[PrevInfo] Main_x Main_y Main_w Main_h PlayList_x PlayList_y PlayList_w PlayList_h PlayList_Show Panel_Fix TopMost volume " ] \
  || e2e_fail "setting.ini keys: $keys"
saved="$(e2e_setting PrevInfo Main_x) $(e2e_setting PrevInfo Main_y) $(e2e_setting PrevInfo Main_w) $(e2e_setting PrevInfo Main_h)"
[ "$saved" = "$x $y $w $h" ] || e2e_fail "saved '$saved', window was '$x $y $w $h'"

# The second start restores the saved rectangle.
e2e_launch
player=$(e2e_wait_window "ZEPO")
e2e_until 10 eval '[ "$(e2e_frame_geometry "$player")" = "$saved" ]' \
  || e2e_fail "restored '$(e2e_frame_geometry "$player")', saved '$saved'"
e2e_close_window "$player"
e2e_wait_exit

# Restore=0: the default size, whatever was saved.
printf '[Setting]\r\nRestore=0\r\n' | cat - "$E2E_DIR/bin/setting.ini" > "$E2E_DIR/s.ini" && mv "$E2E_DIR/s.ini" "$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_window "ZEPO")
e2e_until 10 framed "$player" || e2e_fail "the player window was never framed"
e2e_until 10 e2e_size_is "$player" 320 270 || e2e_fail "Restore=0 gave $(e2e_frame_geometry "$player")"
e2e_close_window "$player"
e2e_wait_exit
echo "PASS"
