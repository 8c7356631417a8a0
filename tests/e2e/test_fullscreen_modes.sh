#!/usr/bin/env bash
# Full screen with a display-mode change on a server whose modes really switch: entering
# goes to 640x480 and covers the screen; leaving brings back 1280x1024, the player's
# exact place and another application's window; the mode comes back too when the player
# ends in full screen by SIGTERM, SIGINT or closing.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start_xorg "$@"

printf '[Setting]\r\nChangeResolution=1\r\nHideCursor=1\r\n' >"$E2E_DIR/bin/setting.ini"

# Another application, low on the screen: the window manager pulls it up when the screen
# shrinks to 640x480, and full screen must put it back.
xmessage -geometry +300+800 "another application" >/dev/null 2>&1 &
E2E_PIDS+=($!)
other=$(e2e_wait_managed_window xmessage)

start_player() {
  # Background jobs of a script ignore SIGINT; the player gets it back for the test.
  env --default-signal=INT "$E2E_BIN" >"$E2E_DIR/zepo.log" 2>&1 &
  E2E_ZEPO_PID=$!
  E2E_PIDS+=($E2E_ZEPO_PID)
  player=$(e2e_wait_managed_window ZEPO)
  e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "the screen is not at 1280x1024 at start"
}

enter_full_screen() { # how: keys | double-click
  e2e_focus "$player"
  if [ "$1" = keys ]; then
    xdotool key --window "$player" alt+Return
  else
    local g
    read -r -a g <<<"$(e2e_client_geometry "$player")"
    xdotool mousemove $((g[0] + 40)) $((g[1] + 20)) click --repeat 2 --delay 80 1
  fi
  e2e_until 10 e2e_screen_is 640x480 || e2e_fail "entering full screen ($1) did not switch to 640x480: $(e2e_screen_size), player at $(e2e_client_geometry "$player")"
  e2e_until 10 e2e_client_geometry_is "$player" "0 0 640 480" \
    || e2e_fail "the full-screen player does not cover the screen: $(e2e_client_geometry "$player")"
  e2e_has_state "$player" _NET_WM_STATE_FULLSCREEN || e2e_fail "no full-screen state"
}

# Enter and leave by keys.
start_player
before_player=$(e2e_client_geometry "$player")
before_other=$(e2e_client_geometry "$other")
enter_full_screen keys
[ "$(e2e_client_geometry "$other")" != "$before_other" ] || echo "note: the window manager left the other window in place"
xdotool key --window "$player" Escape
e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "leaving full screen did not restore 1280x1024"
e2e_until 10 e2e_client_geometry_is "$player" "$before_player" \
  || e2e_fail "player not back at $before_player: $(e2e_client_geometry "$player")"
e2e_until 10 e2e_client_geometry_is "$other" "$before_other" \
  || e2e_fail "other window not back at $before_other: $(e2e_client_geometry "$other")"
e2e_has_state "$player" _NET_WM_STATE_FULLSCREEN && e2e_fail "still in the full-screen state"
grep -q 'ResolutionFullSize' "$E2E_DIR/bin/setting.ini" && e2e_fail "the chosen mode was written to setting.ini"

# Enter by a double-click on the video, leave from the context menu's first item.
enter_full_screen double-click
xdotool mousemove 100 100 click 3
e2e_until 10 e2e_menu_open || e2e_fail "no context menu opened in full screen"
xdotool key Down Return
e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "the menu's full-screen item did not leave full screen"
e2e_until 10 e2e_client_geometry_is "$player" "$before_player" || e2e_fail "player not back after the menu"

# Ended in full screen: the start-up mode comes back.
for ending in TERM INT close; do
  enter_full_screen keys
  case $ending in
    close) wmctrl -i -c "$player" ;;
    *) kill -s "$ending" "$E2E_ZEPO_PID" ;;
  esac
  for i in $(seq 1 100); do kill -0 "$E2E_ZEPO_PID" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$E2E_ZEPO_PID" 2>/dev/null && e2e_fail "the player did not end by $ending"
  e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "ending by $ending left the screen at $(e2e_screen_size)"
  [ "$ending" = close ] || start_player
done
echo "PASS"
