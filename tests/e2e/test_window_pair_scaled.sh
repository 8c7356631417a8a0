#!/usr/bin/env bash
# The window pair on a screen scaled by two, by the toolkit's scale factor and by the
# desktop's font resolution (Xft.dpi 192): the saved rectangles are in the program's own
# pixels and the screen shows them twice as large, the frame the window manager draws in
# the screen's pixels counted once; the docked list touches the player's edge exactly, and
# the saved places come back unchanged start after start.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

list_title="ZEPO - プレイリスト"
saved() { echo "$(e2e_setting PrevInfo "$1"_x) $(e2e_setting PrevInfo "$1"_y) $(e2e_setting PrevInfo "$1"_w) $(e2e_setting PrevInfo "$1"_h)"; }
# near A B: within one screen pixel (half a pixel of the program's, rounded either way).
near() { [ $(($1 - $2)) -le 1 ] && [ $(($2 - $1)) -le 1 ]; }

# check_starts HOW: three starts and closes with the player at 50 50 320 240 and its list
# docked and shown; twice that size, both fit on the screen of 1280 x 1024.
check_starts() {
  printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nMain_x=50\r\nMain_y=50\r\nMain_w=320\r\nMain_h=240\r\nPlayList_Show=1\r\n' \
    >"$E2E_DIR/bin/setting.ini"
  local start px py pw ph lx ly lw lh
  for start in 1 2 3; do
    e2e_launch
    player=$(e2e_wait_managed_window ZEPO)
    list=$(e2e_wait_managed_window "$list_title")
    e2e_until 10 e2e_settled "$player" && e2e_until 10 e2e_settled "$list" || e2e_fail "$1: the windows do not come to rest"
    read -r px py pw ph < <(e2e_frame_geometry "$player")
    read -r lx ly lw lh < <(e2e_frame_geometry "$list")
    echo "$1, start $start: player $px $py $pw $ph, list $lx $ly $lw $lh"
    near "$px" 100 && near "$py" 100 && near "$pw" 640 && near "$ph" 480 \
      || e2e_fail "$1, start $start: the player is at $px $py $pw $ph, want 100 100 640 480"
    [ "$lx $ly" = "$((px + pw)) $py" ] \
      || e2e_fail "$1, start $start: the docked list is at $lx $ly, want the player's corner $((px + pw)) $py"
    near "$lw" 500 && near "$lh" 700 || e2e_fail "$1, start $start: the list is $lw x $lh, want 500 x 700"
    e2e_close_window "$player"
    e2e_wait_exit
    [ "$(saved Main)" = "50 50 320 240" ] || e2e_fail "$1, start $start: the player was saved as '$(saved Main)'"
    [ "$(saved PlayList)" = "370 50 250 350" ] || e2e_fail "$1, start $start: the list was saved as '$(saved PlayList)'"
  done
}

export QT_SCALE_FACTOR=2
check_starts "QT_SCALE_FACTOR=2"
unset QT_SCALE_FACTOR
echo "Xft.dpi: 192" | xrdb -merge
check_starts "Xft.dpi 192"
echo PASS
