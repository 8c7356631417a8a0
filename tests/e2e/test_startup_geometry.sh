#!/usr/bin/env bash
# The real binary under a real X server and window manager: the first start opens a
# 320 x 270 window titled "ZEPO" in the middle of the screen with a hidden playlist
# window; closing writes setting.ini beside the binary; the next start comes back at the
# saved place and size, and Restore=0 ignores it.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

e2e_launch
player=$(e2e_wait_window "ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
sleep 0.5
read -r x y w h < <(e2e_frame_geometry "$player")
echo "first start: $x $y $w $h"
[ "$w" -eq 320 ] && [ "$h" -eq 270 ] || e2e_fail "first start size ${w}x${h}, want 320x270"
cx=$(( x + w / 2 )); cy=$(( y + h / 2 ))
[ $(( cx - 640 )) -le 2 ] && [ $(( 640 - cx )) -le 2 ] || e2e_fail "not centred horizontally: centre x $cx"
[ $(( cy - 512 )) -le 30 ] && [ $(( 512 - cy )) -le 30 ] || e2e_fail "not centred vertically: centre y $cy"
xwininfo -id "$list" | grep -q 'IsUnMapped\|IsUnviewable' || e2e_fail "the playlist window is visible at first start"
e2e_screenshot "$E2E_DIR/first.png"

# Move and resize the player as a user would, then close it.
e2e_move_frame "$player" 100 120
wmctrl -i -r "$player" -e "1,-1,-1,500,400"
sleep 0.5
read -r x y w h < <(e2e_frame_geometry "$player")
echo "moved to: $x $y $w $h"
wmctrl -i -c "$player"
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
sleep 0.5
read -r x2 y2 w2 h2 < <(e2e_frame_geometry "$player")
[ "$x2 $y2 $w2 $h2" = "$saved" ] || e2e_fail "restored '$x2 $y2 $w2 $h2', saved '$saved'"
wmctrl -i -c "$player"
e2e_wait_exit

# Restore=0: the default size, whatever was saved.
printf '[Setting]\r\nRestore=0\r\n' | cat - "$E2E_DIR/bin/setting.ini" > "$E2E_DIR/s.ini" && mv "$E2E_DIR/s.ini" "$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_window "ZEPO")
sleep 0.5
read -r x3 y3 w3 h3 < <(e2e_frame_geometry "$player")
[ "$w3 $h3" = "320 270" ] || e2e_fail "Restore=0 gave ${w3}x${h3}"
wmctrl -i -c "$player"
e2e_wait_exit
echo "PASS"
