#!/usr/bin/env bash
# Rectangles in setting.ini that do not fit the screen: the window comes no larger than
# the screen with its whole title bar on it, and closing saves what it came as.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

# Xvfb's screen is 1280 x 1024; openbox keeps no panel.
frame_is() { [ "$(e2e_frame_geometry "$1")" = "$2" ]; }
saved_main() { echo "$(e2e_setting PrevInfo Main_x) $(e2e_setting PrevInfo Main_y) $(e2e_setting PrevInfo Main_w) $(e2e_setting PrevInfo Main_h)"; }

# start MAIN_X MAIN_Y MAIN_W MAIN_H EXPECTED_FRAME
start_with() {
  printf '[PrevInfo]\r\nMain_x=%s\r\nMain_y=%s\r\nMain_w=%s\r\nMain_h=%s\r\n' "$1" "$2" "$3" "$4" >"$E2E_DIR/bin/setting.ini"
  e2e_launch
  player=$(e2e_wait_managed_window ZEPO)
  e2e_until 10 frame_is "$player" "$5" \
    || e2e_fail "saved '$1 $2 $3 $4': the window is at '$(e2e_frame_geometry "$player")', want '$5'"
  e2e_close_window "$player"
  e2e_wait_exit
  [ "$(saved_main)" = "$5" ] || e2e_fail "saved '$1 $2 $3 $4': closing saved '$(saved_main)', want '$5'"
}

# Far too wide and far off the left edge.
start_with -100000 50 99999 300 "0 50 1280 300"
# Below the bottom edge: the title bar comes up onto the screen; the rest may hang below.
start_with 200 5000 400 300 "200 992 400 300"
# Off the top-right corner, and taller than the screen.
start_with 5000 -400 400 2000000 "880 0 400 1024"
echo PASS
