#!/usr/bin/env bash
# Full screen with a display-mode change where the display server emulates modes for a
# full-screen window only: XWayland under a Wayland compositor, where
# scripts/desktop-matrix.sh runs it (not a ctest test: those run on Xvfb, which has one
# mode). Entering and leaving three times covers the screen each time and tells a failed
# change at most once, never at every full screen.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

printf '[Setting]\r\nChangeResolution=1\r\n' >"$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_managed_window ZEPO)
# The message boxes are captioned with the program's name in small letters.
boxes() { wmctrl -l | awk '{ $1 = $2 = $3 = ""; sub(/^ +/, ""); print }' | grep -cx zepo || true; }
told=0
# A message box, if one came within a second, is counted and closed.
count_told() {
  e2e_until 1 eval '[ "$(boxes)" -gt 0 ]' || return 0
  told=$((told + 1))
  xdotool key Return
  e2e_until 10 eval '[ "$(boxes)" -eq 0 ]' || e2e_fail "the message box stayed"
}
for entry in 1 2 3; do
  e2e_focus "$player"
  xdotool key alt+Return
  e2e_until 10 eval '[ "$(e2e_client_geometry "$player" | cut -d" " -f1,2)" = "0 0" ]' \
    || e2e_fail "entry $entry: the player does not cover the screen: $(e2e_client_geometry "$player")"
  count_told
  e2e_focus "$player"
  xdotool key Escape
  e2e_until 10 eval '[ "$(e2e_client_geometry "$player" | cut -d" " -f1,2)" != "0 0" ]' \
    || e2e_fail "entry $entry: Escape did not leave full screen"
  count_told
done
[ "$told" -le 1 ] || e2e_fail "a failed mode change was told $told times"
echo "mode change failures told: $told"
echo PASS
